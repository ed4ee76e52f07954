// qvtw2k: the terminal for the KVB controllers.
#include <QCoreApplication>
#include <QMessageBox>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/link/shared_state.h"
#include "gui/application.h"
#include "gui/connection.h"
#include "gui/main_window.h"
#include "gui/posix/port_table.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"
#include "gui/request_socket.h"

namespace {

constexpr const char* kUsage =
    "Usage: qvtw2k --com N [--baud B]\n"
    "       qvtw2k --port DEVICE [--baud B]\n"
    "       qvtw2k --request TEXT\n"
    "\n"
    "Terminal for the KVB family of motion controllers.\n"
    "\n"
    "  --com N         open COM port N: a link $QVTW2K_HOME/ports/COMN (default\n"
    "                  folder ~/.config/qvtw2k), else /dev/ttyS<N-1>,\n"
    "                  /dev/ttyUSB<N-33> or /dev/ttyACM<N-65>\n"
    "  --port DEVICE   open this serial device (e.g. /dev/ttyUSB0, /dev/pts/3)\n"
    "  --baud B        38400 (default) or 115200\n"
    "  --request TEXT  hand a request (\"/L file\", \"/T 100\", \"/P X1\", \"/X X1\") to the\n"
    "                  running instance and exit; status 1 when none runs\n"
    "  --help          show this text\n"
    "\n"
    "Needs a display (DISPLAY or WAYLAND_DISPLAY); without one, use xvfb-run -a\n"
    "or QT_QPA_PLATFORM=offscreen.\n";

struct Options {
    qvt::gui::PortChoice port;
    bool have_port = false;
    std::optional<std::string> request;
    bool help = false;
};

std::optional<int> to_int(std::string_view s) {
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

// Returns an error text, or nothing when the arguments make sense.
std::optional<std::string> parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string_view(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--com") {
            auto v = value();
            auto n = v ? to_int(*v) : std::nullopt;
            if (!n || *n < 1) return "--com needs a port number (1 or more)";
            options.port.com = *n;
            options.have_port = true;
        } else if (arg == "--port") {
            auto v = value();
            if (!v || v->empty()) return "--port needs a device path";
            options.port.device = std::string(*v);
            options.have_port = true;
        } else if (arg == "--baud") {
            auto v = value();
            auto n = v ? to_int(*v) : std::nullopt;
            if (!n || *n <= 0) return "--baud needs a baud rate";
            options.port.baud = *n;
        } else if (arg == "--request") {
            auto v = value();
            if (!v) return "--request needs the request text";
            options.request = std::string(*v);
        } else {
            return "unknown argument: " + std::string(arg);
        }
    }
    return std::nullopt;
}

int send_request(int argc, char** argv, const std::string& request) {
    QCoreApplication app(argc, argv);
    QString error;
    if (!qvt::gui::send_request(qvt::gui::request_socket_path(), request, &error)) {
        std::fprintf(stderr, "qvtw2k: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (auto error = parse(argc, argv, options)) {
        std::fprintf(stderr, "qvtw2k: %s\n\n%s", error->c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.request) return send_request(argc, argv, *options.request);
    if (!options.have_port) {
        std::fprintf(stderr, "qvtw2k: no port given (--com N or --port DEVICE)\n\n%s", kUsage);
        return 2;
    }
    std::string no_display;
    if (!qvt::gui::display_available(&no_display)) {
        std::fputs(no_display.c_str(), stderr);
        return 2;
    }

    qvt::gui::Application app(argc, argv);
    qvt::gui::QtEventPump pump;
    qvt::posix::PosixPortTable ports;
    qvt::link::SharedState state;
    qvt::gui::QtTerminalControl term(ports);
    qvt::gui::MainWindow window(state, term, pump);

    try {
        qvt::gui::open_controller_port(term, state, options.port);
    } catch (const qvt::platform::TerminalError& e) {
        std::fprintf(stderr, "qvtw2k: %s\n", e.what());
        window.dialogs().MessageBox(
            "QVTW",
            std::string("Fail to connect\r\nComm port was already opened or invalid port\r\n") +
                e.what(),
            qvt::platform::MsgIcon::None, qvt::platform::MsgButtons::Ok);
        return 1;
    }
    const QString where = options.port.device.empty()
                              ? QStringLiteral("COM%1").arg(options.port.com)
                              : QString::fromStdString(options.port.device);
    window.set_port_caption(where + QLatin1Char(' ') + QString::number(options.port.baud));

    qvt::gui::RequestServer requests(
        [&window](const std::string& text) { window.set_request_text(text); });
    QString listen_error;
    if (!requests.listen(qvt::gui::request_socket_path(), &listen_error)) {
        std::fprintf(stderr, "qvtw2k: requests are not taken: %s\n",
                     listen_error.toLocal8Bit().constData());
    }

    window.show();
    window.dialogue().ScreenCls();
    return app.exec();
}
