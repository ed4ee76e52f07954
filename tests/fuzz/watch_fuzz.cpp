// The variable watch's poll on any reply, arriving in pieces with any gaps:
// a reply that stays silent for the limit ends the poll exactly then, a
// prompt at a line start ends it with what arrived up to 10 ms later, the
// window shows no more than the reply gave, and the poll sends its own
// command only and leaves no transfer or watch state behind.
#include "core/console/main_shell.h"
#include "core/debug/watch.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/reused_link.h"

using qvt::platform::Millis;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t flags = in.byte();
    const std::uint8_t seed = in.byte();
    const std::string_view gaps = in.until_nul();  // 10 ms each, cycled over the pieces
    const std::string_view reply = in.rest();
    const bool task_mon = (flags & 1) != 0;
    const bool repeat = (flags & 2) != 0;

    auto& rig = qvt::fuzz::reused_link();
    static qvt::console::MainShell shell(rig.state, rig.term, rig.pump, rig.dialogs);
    qvt::debug::Watch watch({rig.state, rig.term, rig.dialogue, rig.dialogs, shell});
    watch.date_time_text = [] { return std::string("D T"); };
    watch.set_variable(task_mon ? "" : "A");
    watch.set_task_mon(task_mon);
    watch.set_repeat(repeat);

    // What the poll must make of it: pieces are read while each follows the
    // last read within the limit; the prompt's read is followed by 10 ms more.
    const Millis start = rig.pump.now_ms();
    Millis at = start, last_read = start;
    std::size_t got = 0, offered = 0, i = 0;
    bool line_start = false, prompt = false, timed_out = false;
    for (const auto piece : qvt::fuzz::pieces(reply, seed)) {
        if (i++ > 0 && !gaps.empty()) {
            at += 10 * static_cast<std::uint8_t>(gaps[(i - 2) % gaps.size()]);
        }
        rig.term.deliver_at(at, std::string(piece));
        offered += piece.size();
        if (prompt) {
            if (at < last_read + 10) got = offered;
            continue;
        }
        timed_out = timed_out || at >= last_read + qvt::debug::kWatchWaitMs;
        if (timed_out) continue;
        got = offered;
        last_read = at;
        for (const char c : piece) {
            prompt = prompt || (c == '#' && line_start);
            line_start = c == '\n' || (c == '#' && line_start);
        }
    }
    watch.Button4Click();
    QVT_FUZZ_CHECK(rig.state.watch_mode == 1);
    watch.Timer1Timer();

    const std::string command = task_mon ? "MON\r" : "PRINT A\r";
    QVT_FUZZ_CHECK(rig.term.sent() == command);
    QVT_FUZZ_CHECK(rig.pump.now_ms() == last_read + (prompt ? 10 : qvt::debug::kWatchWaitMs + 10));
    if (prompt) {
        QVT_FUZZ_CHECK(watch.memo() == "(^O^)/~ D T\r\n#" + std::string(reply.substr(0, got)));
    } else {
        QVT_FUZZ_CHECK(watch.memo() == qvt::debug::kWatchTimeout);
    }
    QVT_FUZZ_CHECK(rig.state.transfer_mode == 0);
    const bool goes_on = prompt && repeat;
    QVT_FUZZ_CHECK((rig.state.watch_mode != 0) == goes_on);
    QVT_FUZZ_CHECK(watch.timer_active() == goes_on);
    QVT_FUZZ_CHECK(watch.status_text(0) == (goes_on ? "Active" : "Stop"));
    // What the poll left unread arrives and is dropped before the next input.
    watch.Quit_Watch();
    rig.pump.run_until(at);
    rig.term.set_InBufferCount(0);
    return 0;
}
