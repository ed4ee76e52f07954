#include "gui/application.h"

#include <QMessageBox>
#include <cstdlib>
#include <exception>
#include <string>

#include "core/platform/unwinding_pump.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("QVTW2K"));
    setOrganizationName(QStringLiteral("qvtw2k"));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const platform::Unwind&) {
        // The program is ending; the wait that was cut off has nothing to say.
    } catch (const std::exception& e) {
        show_error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        show_error(QStringLiteral("An unknown error ended the operation."));
    }
    return false;
}

void Application::show_error(const QString& text) {
    if (errors_quiet_ && errors_quiet_()) return;
    const QString caption = QStringLiteral("QVTW2K");
    if (log_message_box(caption, text)) return;
    QMessageBox::critical(activeWindow(), caption, text);
}

bool display_available(std::string* message) {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY")) return true;
    if (message) {
        *message =
            "qvtw2k: no display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
            "Run it in a desktop session, under a virtual X server with\n"
            "    xvfb-run -a qvtw2k ...\n"
            "or without any screen with\n"
            "    QT_QPA_PLATFORM=offscreen qvtw2k ...\n";
    }
    return false;
}

}  // namespace qvt::gui
