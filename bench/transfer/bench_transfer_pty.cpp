// The program transfers over a pty to kvbsim with the real Qt event loop.
//
// 1. Unpaced line: acknowledged lines per second during the load of a
//    5,000-line program (from the progress count at 10 lines to the count at
//    4,990, so the fixed pauses before and after the line loop are outside).
// 2. kvbsim pacing its output at 115200 baud: the save of that program
//    against the wire time of the bytes exchanged plus the save's fixed pauses
//    (the save's traffic is almost all controller output, which kvbsim paces;
//    the host's few bytes are counted at the same rate).
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "bench/link/bench_support.h"
#include "bench/transfer/bench_common.h"
#include "core/session/session.h"
#include "gui/connection.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"
#include "posix/port_table.h"

namespace {

using namespace qvt;
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

using bench::CountingControl;

// One controller on its pty with the program's session wired to it.
struct Rig {
    explicit Rig(const std::string& device) {
        gui::open_controller_port(term, session.state, {0, device, bench::kBaud});
        session.console.shell.FormShow();
    }
    posix::PosixPortTable ports;
    CountingControl term{ports};
    gui::QtEventPump pump;
    bench::AutoDialogs dialogs;
    bench::NullClipboard clipboard;
    link::NoLifecycleView view;
    session::Session session{{term, pump, dialogs, clipboard, ports}, view};
    transfer::Transfers& transfers = session.transfers;

    std::string load(const std::string& file) {
        session.profile.prg_file = file;
        session.state.file_preselected = 1;
        transfers.load.Load68k();
        return transfers.load.last_result();
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    const std::string dir = bench::scratch_dir();
    const std::string file = bench::write_program_file(dir + "/in.Q2K");
    bool met = true;

    // ---- 1: load rate, unpaced -------------------------------------------------
    QProcess fast;
    const std::string fast_pty = bench::start_kvbsim(fast, home, {"--program-area", "1048576"});
    if (fast_pty.empty()) {
        std::fprintf(stderr, "kvbsim did not start\n");
        return 1;
    }
    double rate = 0;
    std::string load_result;
    {
        Rig s(fast_pty);
        Clock::time_point first{}, last{};
        long first_count = 0, last_count = 0;
        s.transfers.progress.on_change = [&] {
            const std::string& l = s.transfers.progress.label1();
            if (l.empty() || !s.transfers.progress.visible()) return;
            const long n = std::stol(l);
            if (n == 10 && first_count == 0) {
                first = Clock::now();
                first_count = n;
            }
            if (n == bench::kLines - 10) {
                last = Clock::now();
                last_count = n;
            }
        };
        load_result = s.load(file);
        if (last_count > first_count) {
            rate = static_cast<double>(last_count - first_count) /
                   std::chrono::duration<double>(last - first).count();
        }
    }
    fast.terminate();
    fast.waitForFinished(3000);

    std::printf("Program transfers over a pty to kvbsim, real Qt event loop, %d lines\n",
                bench::kLines);
    std::printf("  load, unpaced line: %s, %.0f acknowledged lines/s (goal >= 1000) %s\n",
                load_result.c_str(), rate, rate >= 1000 ? "goal met" : "NOT met");
    if (rate < 1000 || load_result != "Completed") met = false;

    // ---- 2: save against kvbsim paced at 115200 baud ------------------------------
    QProcess paced;
    const std::string paced_pty =
        bench::start_kvbsim(paced, home, {"--program-area", "1048576", "--baud", "115200"});
    if (paced_pty.empty()) {
        std::fprintf(stderr, "kvbsim did not start\n");
        return 1;
    }
    {
        Rig s(paced_pty);
        const std::string loaded = s.load(file);
        s.session.dialogue.msDelay(200);
        s.term.set_InBufferCount(0);
        s.session.profile.prg_file = dir + "/out.Q2K";
        s.session.state.file_preselected = 1;
        const auto sent0 = s.term.sent;
        const auto recv0 = s.term.received;
        const auto t0 = Clock::now();
        s.transfers.save.Save68k();
        const double took = ms_since(t0);
        const auto bytes = (s.term.sent - sent0) + (s.term.received - recv0);
        const std::string result = s.dialogs.texts.empty() ? "" : s.dialogs.texts.back();
        std::printf("  save, kvbsim paced at %d baud: %s (program loaded: %s), %llu bytes\n",
                    bench::kBaud, result.c_str(), loaded.c_str(),
                    static_cast<unsigned long long>(bytes));
        bench::print_ratio("save, wall time", took, bench::wire_ms(bytes) + 250 + 500 + 1000, &met);
        if (result != "Completed") met = false;
    }
    paced.terminate();
    paced.waitForFinished(3000);
    std::filesystem::remove_all(dir);
    std::printf("  %s\n", met ? "goal met" : "NOT met");
    return met ? 0 : 1;
}
