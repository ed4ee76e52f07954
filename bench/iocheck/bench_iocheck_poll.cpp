// The IO checker's polling loop over a pty to kvbsim pacing its output at
// 115200 baud, with the real Qt event loop and a counting input bank.
//
// Passes per second against the wire limit: the bytes one pass puts on the
// line (three reads and their replies, as measured) at 10 bits a byte. And
// the CPU the program uses while it polls. Goal: at least 0.9 of the limit.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "bench/link/bench_support.h"
#include "core/session/session.h"
#include "gui/connection.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"
#include "posix/port_table.h"

namespace {

using namespace qvt;
using Clock = std::chrono::steady_clock;
constexpr int kBaud = 115200;
constexpr int kWarmUpMs = 500;
constexpr int kMeasureMs = 3000;

using bench::CountingControl;

class QuietDialogs : public platform::Dialogs {
  public:
    platform::MsgResult MessageBox(const std::string&, const std::string& text, platform::MsgIcon,
                                   platform::MsgButtons) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return platform::MsgResult::Ok;
    }
    bool FileDialog(const platform::FileDialogRequest&, std::string&) override { return false; }
};

class NoClipboard : public platform::Clipboard {
  public:
    std::string text() const override { return {}; }
    void set_text(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    QProcess sim;
    const std::string pty = bench::start_kvbsim(
        sim, home, {"--baud", QString::number(kBaud), "--count-bank", "24", "--count-ms", "10"});
    if (pty.empty()) {
        std::fprintf(stderr, "kvbsim did not start\n");
        return 1;
    }
    posix::PosixPortTable ports;
    CountingControl term{ports};
    gui::QtEventPump pump;
    QuietDialogs dialogs;
    NoClipboard clipboard;
    link::NoLifecycleView view;
    session::Session session{{term, pump, dialogs, clipboard, ports}, view};
    gui::open_controller_port(term, session.state, {0, pty, kBaud});
    session.state.transfer_mode = 1;  // as the IO checker's opening holds it
    iocheck::IoChecker& checker = session.io_checker;

    std::uint64_t commands0 = 0, bytes0 = 0;
    double cpu0 = 0;
    Clock::time_point t0;
    std::uint64_t commands = 0, bytes = 0;
    double cpu = 0, took_ms = 0;
    QTimer start_measure, stop_measure;
    start_measure.setSingleShot(true);
    stop_measure.setSingleShot(true);
    stop_measure.setTimerType(Qt::PreciseTimer);
    QObject::connect(&start_measure, &QTimer::timeout, [&] {
        commands0 = term.commands;
        bytes0 = term.sent + term.received;
        cpu0 = bench::cpu_ms();
        t0 = Clock::now();
        stop_measure.start(kMeasureMs);
    });
    QObject::connect(&stop_measure, &QTimer::timeout, [&] {
        took_ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        commands = term.commands - commands0;
        bytes = term.sent + term.received - bytes0;
        cpu = bench::cpu_ms() - cpu0;
        checker.Button1Click();
    });
    checker.show_modal = [&] {
        checker.FormActivate();
        start_measure.start(kWarmUpMs);
        while (checker.open())
            pump.wait_for_event(-1);
    };
    checker.ShowIOCheckerModal();
    sim.terminate();
    sim.waitForFinished(3000);

    const double passes = static_cast<double>(commands) / 3.0;
    const double passes_per_s = passes * 1000.0 / took_ms;
    const double bytes_per_pass = passes > 0 ? static_cast<double>(bytes) / passes : 0;
    const double limit = bytes_per_pass > 0 ? kBaud / 10.0 / bytes_per_pass : 0;
    const double ratio = limit > 0 ? passes_per_s / limit : 0;
    const bool met = ratio >= 0.9 && !checker.stopped();
    std::printf("IO checker polling over a pty to kvbsim paced at %d baud, real Qt event loop\n",
                kBaud);
    std::printf("  %.0f passes in %.0f ms: %.1f passes/s, %.1f bytes a pass on the line\n", passes,
                took_ms, passes_per_s, bytes_per_pass);
    std::printf("  wire limit %.1f passes/s: %.2f of it (goal >= 0.9) %s\n", limit, ratio,
                met ? "goal met" : "NOT met");
    std::printf("  CPU while polling: %.0f ms in %.0f ms (%.1f%%)\n", cpu, took_ms,
                100.0 * cpu / took_ms);
    return met ? 0 : 1;
}
