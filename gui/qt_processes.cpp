#include "gui/qt_processes.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>

namespace qvt::gui {

std::optional<int> QtProcesses::run_and_wait(const std::string& program,
                                             const std::vector<std::string>& arguments,
                                             std::string& error) {
    QStringList args;
    for (const auto& a : arguments)
        args << QString::fromLocal8Bit(a.data(), static_cast<qsizetype>(a.size()));
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QString::fromLocal8Bit(program.data(), static_cast<qsizetype>(program.size())),
                  args);
    // Starting takes a fork and an exec: a few milliseconds at most.
    if (!process.waitForStarted(5000)) {
        error = process.errorString().toLocal8Bit().toStdString();
        return std::nullopt;
    }
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning) loop.exec();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool QtProcesses::is_file(const std::string& path) const {
    return QFileInfo(QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())))
        .isFile();
}

}  // namespace qvt::gui
