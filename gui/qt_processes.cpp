#include "gui/qt_processes.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>

namespace qvt::gui {

namespace {

QString local(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

QStringList local_list(const std::vector<std::string>& arguments) {
    QStringList args;
    for (const auto& a : arguments)
        args << local(a);
    return args;
}

// Starting takes a fork and an exec: a few milliseconds at most.
constexpr int kStartMs = 5000;

class QtRunningProgram : public platform::RunningProgram {
  public:
    explicit QtRunningProgram(QProcess* process) : process_(process) {}
    ~QtRunningProgram() override {
        if (process_->state() == QProcess::NotRunning) {
            delete process_;
            return;
        }
        // Deleting a QProcess kills its program: let the program end first.
        QObject::connect(process_, &QProcess::finished, process_, &QObject::deleteLater);
    }
    QtRunningProgram(const QtRunningProgram&) = delete;
    QtRunningProgram& operator=(const QtRunningProgram&) = delete;

    bool ended() const override { return process_->state() == QProcess::NotRunning; }

  private:
    QProcess* process_;
};

}  // namespace

std::optional<int> QtProcesses::run_and_wait(const std::string& program,
                                             const std::vector<std::string>& arguments,
                                             std::string& error) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(local(program), local_list(arguments));
    if (!process.waitForStarted(kStartMs)) {
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
    return QFileInfo(local(path)).isFile();
}

std::unique_ptr<platform::RunningProgram> QtProcesses::start(
    const std::string& program, const std::vector<std::string>& arguments) {
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(local(program), local_list(arguments));
    if (!process->waitForStarted(kStartMs)) {
        delete process;
        return nullptr;
    }
    return std::make_unique<QtRunningProgram>(process);
}

bool QtProcesses::start_detached(const std::string& program,
                                 const std::vector<std::string>& arguments) {
    return QProcess::startDetached(local(program), local_list(arguments));
}

}  // namespace qvt::gui
