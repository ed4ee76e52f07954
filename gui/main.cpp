// qvtw2k: the terminal for the KVB controllers.
#include <QCoreApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "gui/app.h"
#include "gui/application.h"
#include "gui/connection.h"
#include "gui/headless.h"
#include "gui/request_socket.h"

namespace {

constexpr const char* kUsage =
    "Usage: qvtw2k\n"
    "       qvtw2k --com N [--baud B]\n"
    "       qvtw2k --port DEVICE [--baud B]\n"
    "       qvtw2k --request TEXT\n"
    "\n"
    "Terminal for the KVB family of motion controllers. Without arguments the\n"
    "launcher opens, where the port and the baud rate are chosen; --com and\n"
    "--port connect at once.\n"
    "\n"
    "  --com N         open COM port N: a link $QVTW2K_HOME/ports/COMN (default\n"
    "                  folder ~/.config/qvtw2k), else /dev/ttyS<N-1>,\n"
    "                  /dev/ttyUSB<N-33> or /dev/ttyACM<N-65>\n"
    "  --port DEVICE   open this serial device (e.g. /dev/ttyUSB0, /dev/pts/3)\n"
    "  --baud B        38400 (default) or 115200\n"
    "  --request TEXT  hand a request (\"/L file\", \"/T 100\", \"/P X1\", \"/X X1\") to the\n"
    "                  running instance and exit; status 1 when none runs\n"
    "  --log FILE      append the bytes on the line to FILE (the session log)\n"
    "  --help          show this text\n"
    "\n"
    "With --save, --load, --psave, --pload, --msave, --mload or --send, one\n"
    "operation runs without a display and exits; qvtw2k --save x --help tells more.\n"
    "\n"
    "Needs a display (DISPLAY or WAYLAND_DISPLAY); without one, use xvfb-run -a\n"
    "or QT_QPA_PLATFORM=offscreen.\n";

struct Options {
    qvt::gui::PortChoice port;
    bool have_port = false;
    std::optional<std::string> request;
    std::string log_file;
    bool help = false;
};

using qvt::gui::headless::to_int;

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
        } else if (arg == "--log") {
            auto v = value();
            if (!v || v->empty()) return "--log needs a file name";
            options.log_file = std::string(*v);
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
    if (qvt::gui::headless::requested(argc, argv)) return qvt::gui::headless::run(argc, argv);
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
    std::string no_display;
    if (!qvt::gui::display_available(&no_display)) {
        std::fputs(no_display.c_str(), stderr);
        return 2;
    }

    qvt::gui::Application app(argc, argv);
    qvt::gui::AppOptions app_options;
    app_options.executable = QCoreApplication::applicationFilePath().toStdString();
    app_options.log_file = options.log_file;
    qvt::gui::App qvt(app_options);
    qvt.start();
    if (options.have_port) {
        // A refused port leaves the launcher up, as the Connect buttons do.
        const bool open = options.port.device.empty()
                              ? qvt.connect_com(options.port.com, options.port.baud)
                              : qvt.connect_device(options.port.device, options.port.baud);
        if (!open) std::fprintf(stderr, "qvtw2k: the port could not be opened\n");
    }
    if (qvt.ended()) return 0;
    return app.exec();
}
