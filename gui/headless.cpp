#include "gui/headless.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "core/log/session_log.h"
#include "core/platform/text_codec.h"
#include "core/session/session.h"
#include "core/startup/launcher.h"
#include "core/startup/profile.h"
#include "core/transfer/scope.h"
#include "gui/app_port_table.h"
#include "gui/headless_parts.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"

namespace qvt::gui::headless {

std::optional<int> to_int(std::string_view s) {
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

namespace {

constexpr const char* kUsageText =
    "Usage: qvtw2k --com N | --port DEVICE  [--baud 38400|115200]  OPERATION\n"
    "              [--yes] [--timeout SECONDS] [--log FILE]\n"
    "\n"
    "Runs one operation without a display and exits. OPERATION is one of\n"
    "  --save FILE    --load FILE     program (.Q2K)\n"
    "  --psave FILE   --pload FILE    points (.P2K)\n"
    "  --msave FILE   --mload FILE    MBK (.MBK)\n"
    "  --send LINE    send one command line, print the reply up to the prompt\n"
    "\n"
    "  --yes              allow what the window would ask about: replacing a\n"
    "                     file, deleting the controller's program or data\n"
    "  --timeout SECONDS  abort when the controller sends nothing for so long\n"
    "  --log FILE         append the bytes on the line to FILE\n"
    "\n"
    "Exit status: 0 done; 1 refused, timed out or aborted (Ctrl-C); 2 the port\n"
    "could not be opened or vanished; 3 a file could not be read or written;\n"
    "64 bad usage.\n";

enum class Op { None, Save, Load, PSave, PLoad, MSave, MLoad, Send };

struct OpInfo {
    const char* flag;
    Op op;
    const char* title;
    bool load;
};

constexpr OpInfo kOps[] = {
    {"--save", Op::Save, "Save Program", false}, {"--load", Op::Load, "Load Program", true},
    {"--psave", Op::PSave, "Save Point", false}, {"--pload", Op::PLoad, "Load Point", true},
    {"--msave", Op::MSave, "Save MBK", false},   {"--mload", Op::MLoad, "Load MBK", true},
    {"--send", Op::Send, "Send", false},
};

const OpInfo* op_of_flag(std::string_view flag) {
    for (const OpInfo& info : kOps) {
        if (flag == info.flag) return &info;
    }
    return nullptr;
}

struct Options {
    int com = 0;
    std::string device;
    int baud = 38400;
    const OpInfo* op = nullptr;
    std::string argument;
    bool yes = false;
    int timeout_s = 0;
    std::string log_file;
    bool help = false;
};

std::optional<std::string> parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (const OpInfo* info = op_of_flag(arg)) {
            if (o.op != nullptr) return "only one operation at a time";
            auto v = value();
            if (!v || v->empty()) return std::string(arg) + " needs an argument";
            o.op = info;
            o.argument = *v;
        } else if (arg == "--help" || arg == "-h") {
            o.help = true;
            return std::nullopt;
        } else if (arg == "--yes") {
            o.yes = true;
        } else if (arg == "--com" || arg == "--baud" || arg == "--timeout") {
            auto v = value();
            auto n = v ? to_int(*v) : std::nullopt;
            if (!n || *n < 1) return std::string(arg) + " needs a positive number";
            if (arg == "--com") o.com = *n;
            if (arg == "--baud") o.baud = *n;
            if (arg == "--timeout") o.timeout_s = *n;
        } else if (arg == "--port" || arg == "--log") {
            auto v = value();
            if (!v || v->empty()) return std::string(arg) + " needs a path";
            (arg == "--port" ? o.device : o.log_file) = *v;
        } else {
            return "unknown argument: " + std::string(arg);
        }
    }
    if (o.op == nullptr) return "no operation given";
    if ((o.com == 0) == o.device.empty()) return "give either --com or --port";
    if (o.baud != 38400 && o.baud != 115200) return "--baud is 38400 or 115200";
    return std::nullopt;
}

// Ctrl-C reaches the event loop through a pipe, so it is handled between
// two events like a click on Abort.
int g_signal_pipe[2] = {-1, -1};

void on_sigint(int) {
    const char c = 1;
    (void)!::write(g_signal_pipe[1], &c, 1);
}

// The checks that need no port: a question that was not allowed, a file that
// cannot be read or a folder that cannot take the file. Nothing is sent yet.
std::optional<int> precheck(const Options& o) {
    if (o.op->op == Op::Send) return std::nullopt;
    const std::string& file = o.argument;
    if (o.op->load) {
        std::error_code ec;
        std::ifstream in(file, std::ios::binary);
        if (!in || std::filesystem::is_directory(file, ec)) {
            std::fprintf(stderr, "qvtw2k: cannot read %s: %s\n", file.c_str(),
                         in ? "a folder" : std::strerror(errno));
            return kFileError;
        }
        if (!o.yes) {
            std::fprintf(stderr,
                         "qvtw2k: %s deletes the current data in the controller first; "
                         "--yes allows it\n",
                         o.op->title);
            return kRefused;
        }
        return std::nullopt;
    }
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    const std::filesystem::path folder = std::filesystem::absolute(file, ec).parent_path();
    if (::access(folder.c_str(), W_OK) != 0 || (exists && ::access(file.c_str(), W_OK) != 0)) {
        std::fprintf(stderr, "qvtw2k: cannot write %s: %s\n", file.c_str(), std::strerror(errno));
        return kFileError;
    }
    if (exists && !o.yes) {
        std::fprintf(stderr, "qvtw2k: %s exists; --yes replaces it\n", file.c_str());
        return kRefused;
    }
    return std::nullopt;
}

class Run {
  public:
    explicit Run(const Options& o)
        : o_(o),
          term_(ports_.table),
          dialogs_(o.yes, outcome_, o.argument),
          session_({term_, pump_, dialogs_, clipboard_, ports_.table, nullptr, {}}, view_),
          launcher_windows_(session_),
          log_(session_.pump, log::local_now,
               [](const std::string& m) { std::fprintf(stderr, "qvtw2k: %s\n", m.c_str()); }) {}

    int exec(const std::filesystem::path& executable) {
        if (!start_log()) return kFileError;
        startup::ProfileEnv env;
        env.exe_dir = executable.parent_path();
        const auto location = startup::profile_location(executable);
        if (auto problem = startup::read_profile_file(location.profile, env, session_.profile)) {
            std::fprintf(stderr, "qvtw2k: %s\n", one_line(*problem).c_str());
        }
        term_.set_tap([this](bool sent, std::string_view bytes) {
            if (!sent) pump_.saw_bytes();
            log_.record(sent ? log::Direction::Sent : log::Direction::Received, bytes);
        });
        term_.OnComm = [this] { session_.receive.PDQComm1Comm(); };
        QObject::connect(&term_, &QtTerminalControl::portClosedByError, [this](int) {
            port_failed_ = true;
            session_.end();
        });
        if (o_.timeout_s > 0) {
            pump_.set_limit(platform::Millis{o_.timeout_s} * 1000, [this] { return silence(); });
        }
        watch_sigint();

        try {
            if (!connect(executable)) return finish(kPortError);
            operate();
        } catch (const platform::Unwind&) {
            // Given up (time-out, second Ctrl-C) or the port vanished.
        } catch (const std::exception& e) {
            std::fprintf(stderr, "qvtw2k: %s\n", e.what());
            outcome_.set(kRefused);
        }
        if (port_failed_ || !term_.PortOpen()) {
            std::fprintf(stderr, "qvtw2k: the port %s vanished\n", port_name().c_str());
            return finish(kPortError);
        }
        const bool done = outcome_.status == kDone;
        if (gave_up_ || (timed_out_ && !done)) {
            std::fprintf(stderr, "qvtw2k: the controller did not answer within %d s\n",
                         o_.timeout_s);
            return finish(kRefused);
        }
        if (interrupted_ && !done) {
            std::fprintf(stderr, "qvtw2k: interrupted\n");
            return finish(kRefused);
        }
        if (term_.refused_lines > 0) {
            std::fprintf(stderr, "qvtw2k: the controller refused %d lines\n", term_.refused_lines);
            outcome_.set(kRefused);
        }
        return finish(outcome_.status < 0 ? kRefused : outcome_.status);
    }

  private:
    bool start_log() {
        if (o_.log_file.empty()) return true;
        std::string error;
        auto sink = log::FileSink::open(o_.log_file, error);
        if (!sink) {
            std::fprintf(stderr, "qvtw2k: cannot open the log %s\n", error.c_str());
            return false;
        }
        log_.start(std::move(sink));
        return true;
    }

    std::string port_name() const {
        return o_.device.empty() ? "COM" + std::to_string(o_.com) : o_.device;
    }

    bool connect(const std::filesystem::path& executable) {
        startup::LauncherDeps deps{session_.state,
                                   term_,
                                   session_.pump,
                                   dialogs_,
                                   ports_.table,
                                   processes_,
                                   session_.profile,
                                   launcher_windows_,
                                   {},
                                   {},
                                   {},
                                   {}};
        startup::Launcher launcher(deps);
        launcher.FormCreate(executable.filename().string());
        if (!o_.device.empty()) term_.set_Device(o_.device);
        session_.state.port_is_vcp = 0;
        if (!launcher.Connect(o_.device.empty() ? o_.com : 0, o_.baud)) {
            std::fprintf(stderr, "qvtw2k: the port %s could not be opened\n", port_name().c_str());
            return false;
        }
        // The stop ends with "VER", whose reply the window shows; here the
        // operation starts once that reply is in, so that its own first wait
        // does not take the reply's prompt for the one it waits for.
        if (session_.profile.quit_connecting == "1") session_.dialogue.TWait_Prompt(2);
        return true;
    }

    void operate() {
        const OpInfo& op = *o_.op;
        if (op.op == Op::Send) {
            std::string reply;
            link::OperationGuard running(session_.state);
            session_.dialogue.CommOut(o_.argument, reply);
            std::string text;
            for (const char c : platform::utf8_from_sjis(reply)) {
                if (c != '\r') text += c;
            }
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
            outcome_.set(kDone);
            return;
        }
        session_.profile.prg_file = session_.profile.pnt_file = session_.profile.mbk_file =
            o_.argument;
        session_.state.file_preselected = 1;
        ProgressLine progress(session_.transfers.progress, op.load ? count_lines(o_.argument) : 0);
        auto& files = session_.ops.files();
        switch (op.op) {
            case Op::Save:
                files.Save68k();
                break;
            case Op::Load:
                files.Load68k();
                break;
            case Op::PSave:
                files.PSave2000();
                break;
            case Op::PLoad:
                files.PLoad68k();
                break;
            case Op::MSave:
                files.MBKSave2000();
                break;
            case Op::MLoad:
                files.MBKLoad2000();
                break;
            default:
                break;
        }
        const bool saved = !op.load && starts_with(dialogs_.result, "Completed");
        progress.end(op.title, dialogs_.result.empty() ? "not done" : dialogs_.result, o_.argument,
                     saved ? count_lines(o_.argument) : -1);
    }

    // No byte for the time-out: first as Abort, then, when the controller
    // stays silent for as long as an aborted transfer waits, give up.
    platform::Millis silence() {
        timed_out_ = true;
        if (session_.state.abort_request == 0) {
            session_.transfers.progress.Button1Click();
            return platform::Millis{transfer::kAbortedWaitSeconds} * 1000;
        }
        gave_up_ = true;
        session_.end();
        return 0;
    }

    void watch_sigint() {
        if (::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        struct sigaction action {};
        action.sa_handler = on_sigint;
        ::sigaction(SIGINT, &action, nullptr);
        sigint_ = std::make_unique<QSocketNotifier>(g_signal_pipe[0], QSocketNotifier::Read);
        QObject::connect(sigint_.get(), &QSocketNotifier::activated, [this] {
            char c = 0;
            while (::read(g_signal_pipe[0], &c, 1) == 1) {
            }
            if (interrupted_) {
                session_.end();
                return;
            }
            interrupted_ = true;
            session_.transfers.progress.Button1Click();
        });
    }

    int finish(int status) {
        log_.stop();
        if (term_.PortOpen()) term_.set_PortOpen(false);
        return status;
    }

    const Options& o_;
    Outcome outcome_;
    QtEventPump qt_pump_;
    WatchdogPump pump_{qt_pump_};
    AppPortTable ports_;
    HeadlessTerminal term_;
    HeadlessDialogs dialogs_;
    NoClipboard clipboard_;
    NoProcesses processes_;
    link::NoLifecycleView view_;
    session::Session session_;
    NoLauncherWindows launcher_windows_;
    log::SessionLog log_;
    std::unique_ptr<QSocketNotifier> sigint_;
    bool port_failed_ = false;
    bool timed_out_ = false;
    bool gave_up_ = false;
    bool interrupted_ = false;
};

}  // namespace

bool requested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (op_of_flag(argv[i]) != nullptr) return true;
    }
    return false;
}

int run(int argc, char** argv) {
    Options o;
    if (auto error = parse(argc, argv, o)) {
        std::fprintf(stderr, "qvtw2k: %s\n\n%s", error->c_str(), kUsageText);
        return kUsage;
    }
    if (o.help) {
        std::fputs(kUsageText, stdout);
        return kDone;
    }
    if (auto refused = precheck(o)) return *refused;
    QCoreApplication app(argc, argv);
    Run run(o);
    return run.exec(QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace qvt::gui::headless
