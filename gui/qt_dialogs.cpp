#include "gui/qt_dialogs.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringDecoder>
#include <QStringEncoder>

namespace qvt::gui {

QString from_sjis(const std::string& bytes) {
    QStringDecoder decoder("Shift_JIS");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string to_sjis(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString filter_text(const std::vector<std::pair<std::string, std::string>>& filters) {
    QStringList parts;
    for (const auto& [description, pattern] : filters) {
        QString p = QString::fromStdString(pattern);
        // "*.*" means every file on the original platform; here that is "*".
        p.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        p.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The transfers' descriptions already name their pattern ("Q2K (*.Q2K)").
        const QString text = QString::fromStdString(description);
        const QString shown =
            QStringLiteral("(") + QString::fromStdString(pattern) + QLatin1Char(')');
        parts << (text.endsWith(shown) ? text : text + QStringLiteral(" (") + p + QLatin1Char(')'));
    }
    return parts.join(QStringLiteral(";;"));
}

QString with_default_extension(const QString& path, const std::string& extension) {
    if (extension.empty() || path.isEmpty()) return path;
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    QString ext = QString::fromStdString(extension);
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    return path + QLatin1Char('.') + ext;
}

QString message_log_path() {
    return qEnvironmentVariable("QVTW2K_MESSAGE_LOG");
}

QString message_log_line(const QString& caption, const QString& text) {
    auto escaped = [](const QString& in) {
        QString out;
        out.reserve(in.size());
        for (const QChar c : in) {
            switch (c.unicode()) {
                case '\\':
                    out += QStringLiteral("\\\\");
                    break;
                case '\r':
                    out += QStringLiteral("\\r");
                    break;
                case '\n':
                    out += QStringLiteral("\\n");
                    break;
                case '\t':
                    out += QStringLiteral("\\t");
                    break;
                default:
                    out += c;
            }
        }
        return out;
    };
    return escaped(caption) + QLatin1Char('\t') + escaped(text);
}

bool log_message_box(const QString& caption, const QString& text) {
    const QString path = message_log_path();
    if (path.isEmpty()) return false;
    // Opened per message and closed at once, so a reader sees each line as
    // soon as the box would have appeared, even if the program dies next.
    QFile log(path);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write((message_log_line(caption, text) + QLatin1Char('\n')).toUtf8());
    }
    return true;
}

platform::MsgResult QtDialogs::MessageBox(const std::string& caption, const std::string& text,
                                          platform::MsgIcon icon, platform::MsgButtons buttons) {
    if (log_message_box(QString::fromStdString(caption), QString::fromStdString(text))) {
        const bool ok =
            buttons == platform::MsgButtons::Ok || buttons == platform::MsgButtons::OkCancel;
        return ok ? platform::MsgResult::Ok : platform::MsgResult::Yes;
    }
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (icon) {
        case platform::MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case platform::MsgIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case platform::MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case platform::MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case platform::MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    QMessageBox::StandardButtons standard;
    QMessageBox::StandardButton escape = QMessageBox::NoButton;
    switch (buttons) {
        case platform::MsgButtons::Ok:
            standard = QMessageBox::Ok;
            escape = QMessageBox::Ok;
            break;
        case platform::MsgButtons::OkCancel:
            standard = QMessageBox::Ok | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        case platform::MsgButtons::YesNo:
            standard = QMessageBox::Yes | QMessageBox::No;
            escape = QMessageBox::No;
            break;
        case platform::MsgButtons::YesNoCancel:
            standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
    }
    box.setStandardButtons(standard);
    box.setEscapeButton(escape);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return platform::MsgResult::Ok;
        case QMessageBox::Yes:
            return platform::MsgResult::Yes;
        case QMessageBox::No:
            return platform::MsgResult::No;
        default:
            return platform::MsgResult::Cancel;
    }
}

bool QtDialogs::FileDialog(const platform::FileDialogRequest& request, std::string& path) {
    const QString title = QString::fromStdString(request.title);
    if (log_message_box(title, QStringLiteral("(file dialog, cancelled)"))) return false;
    QFileDialog dialog(parent_, title);
    if (!request.filters.empty()) dialog.setNameFilter(filter_text(request.filters));
    if (!request.default_extension.empty()) {
        QString ext = QString::fromStdString(request.default_extension);
        if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
        dialog.setDefaultSuffix(ext);
    }
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.must_exist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwrite_prompt);
    // no_change_dir needs nothing: this dialog never moves the process's
    // current folder.
    if (!request.initial_file.empty()) {
        const QFileInfo initial(QFile::decodeName(request.initial_file.c_str()));
        if (initial.dir().exists()) dialog.setDirectory(initial.dir());
        dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    const QString name = with_default_extension(chosen.front(), request.default_extension);
    path = QFile::encodeName(name).toStdString();
    return true;
}

std::string QtClipboard::text() const {
    return to_sjis(QGuiApplication::clipboard()->text());
}

void QtClipboard::set_text(const std::string& text) {
    QGuiApplication::clipboard()->setText(from_sjis(text));
}

}  // namespace qvt::gui
