#include "core/link/dialogue.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

using Chunks = std::vector<std::pair<Millis, std::string>>;

void schedule(LinkRig& rig, const Chunks& chunks) {
    for (const auto& [t, bytes] : chunks)
        rig.term.deliver_at(t, bytes);
}

TEST(CommOut, CollectsTheReplyUpToThePromptAfterThePacedOutputLeft) {
    const struct {
        Chunks chunks;
        std::string reply;
        Millis done_at;
    } cases[] = {
        {{{5, "VER\r\nREV-2.05\r\n#"}}, "REV-2.05\r\n", 5},
        {{{3000, "VER\r\nREV\r\n#tail"}}, "REV\r\n", 3000},
        {{{1, "VER\r"}, {2, "\nREV"}, {3, "-2.05\r\n"}, {50, "#"}}, "REV-2.05\r\n", 50},
        {{{5, "LIST\r\n10 A=1\r\n20 B=2\r\n#"}}, "10 A=1\r\n20 B=2\r\n", 5},
        {{{5, "PRINT\r\nA#B\r\n#"}}, "A#B\r\n", 5},        // a hash mid-line stays
        {{{5, "X\r\nabc\r#def\r\n#"}}, "abc#def\r\n", 5},  // so does one after a CR alone
        {{{5, "V\r\nA\r\n#B\r\n#"}}, "A\r\n", 5},          // a later prompt in the read
        {{{7, "VER\r\n#"}}, "", 7},
    };
    for (const auto& c : cases) {
        LinkRig rig;
        schedule(rig, c.chunks);
        std::string reply = "stale";
        rig.dialogue.CommOut("VER", reply);
        EXPECT_EQ(reply, c.reply);
        EXPECT_EQ(rig.pump.now_ms(), c.done_at);
        EXPECT_EQ(rig.term.sent(), "VER\r");
        EXPECT_EQ(rig.term.InBufferCount(), 0) << "the rest of the prompt's read is consumed";
        EXPECT_TRUE(rig.term.disp_log().empty());
        // A wait for the output to leave and one a read: a polling loop makes thousands.
        EXPECT_LE(rig.pump.wait_calls(), c.chunks.size() + 2);
    }

    // Paced output has left before the reply is read.
    LinkRig rig;
    rig.term.set_output_rate(1000);  // one byte a millisecond
    std::vector<Millis> wire_times;
    rig.term.set_line_responder([&](const std::string& line, Millis now) {
        wire_times.push_back(now);
        rig.term.deliver(line + "\r\nOK\r\n#");
    });
    std::string reply;
    rig.dialogue.CommOut("LIST 0 20", reply);  // 10 bytes with the CR
    ASSERT_EQ(wire_times.size(), 1u);
    EXPECT_EQ(wire_times[0], 10);
    EXPECT_EQ(reply, "OK\r\n");
}

// When the wait ends, negated when it gave up; -1: never (nothing more could arrive).
Millis run_wait(const Chunks& chunks, const std::function<bool(LinkRig&)>& wait) {
    LinkRig rig;
    schedule(rig, chunks);
    try {
        return wait(rig) ? rig.pump.now_ms() : -rig.pump.now_ms();
    } catch (const VirtualDeadlock&) {
        return -1;
    }
}

// The timed wait gives up at two seconds.
TEST(PromptWaits, EndOnlyOnAPromptAtLineStart) {
    const struct {
        Chunks chunks;
        Millis wait_prompt, wait_prompt1, twait;
    } cases[] = {
        {{{20, "abc\r\n#"}}, 20, 20, 20},
        {{{20, "abc\r#"}}, 20, 20, 20},
        {{{20, "abc#"}}, -1, -1, -2000},
        {{{20, "\r\n #"}}, -1, -1, -2000},
        {{{20, "abc\r\n"}, {70, "#"}}, 70, 70, 70},
        {{{20, "10 A\r\n>"}}, -1, 20, -2000},  // the continuation prompt
        {{{20, "\r\n>"}, {30, "#"}}, -1, 20, 30},
        {{{20, "a#b\r\n"}, {40, "#"}}, 40, 40, 40},
        {{{1999, "\r\n#"}}, 1999, 1999, 1999},
        {{{2000, "\r\n#"}}, 2000, 2000, -2000},  // in the read at the limit
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run_wait(c.chunks,
                           [](LinkRig& rig) {
                               rig.dialogue.Wait_Prompt();
                               EXPECT_TRUE(rig.term.disp_log().empty()) << "shows nothing";
                               return true;
                           }),
                  c.wait_prompt);
        EXPECT_EQ(run_wait(c.chunks,
                           [](LinkRig& rig) {
                               rig.dialogue.Wait_Prompt1();
                               return true;
                           }),
                  c.wait_prompt1);
        EXPECT_EQ(run_wait(c.chunks, [](LinkRig& rig) { return rig.dialogue.TWait_Prompt(2); }),
                  c.twait);
    }
    // The prompt arrives at 1000 ms, but a handler run by the same pump keeps
    // the program busy until 2500 ms: the prompt is read after the limit.
    LinkRig rig;
    rig.pump.post_at(1000, [&] { rig.pump.run_for(1500); });
    rig.term.deliver_at(1000, "\r\n#");
    EXPECT_FALSE(rig.dialogue.TWait_Prompt(2));
    EXPECT_EQ(rig.pump.now_ms(), 2500);
}

// Wait_Prompt1 shows the answer after the echo.
TEST(WaitPrompt1, ShowsTheAnswerAfterTheEcho) {
    const struct {
        std::string received;
        std::vector<std::string> disp;
    } cases[] = {
        {"10 A=1\r\nSyntax error\r\n#", {"\r\nSyntax error\r\n"}},
        {"10 A=1\r\n#", {"\r\n"}},
        {"10 A#1\r\nX#Y\r\n#", {"\r\nXY\r\n"}},  // a hash mid-line is dropped
        {"10 A=1\r\n>", {"\r\n"}},               // ends on the continuation prompt
        {"X\r\nA\r\n#B\r\n#", {"\r\nA\r\n", "\r\nA\r\nB\r\n"}},
        {"10 A=1\r\nCan't Edit\r\n#", {"\r\nCan't Edit\r\n", "\x1b[7m#?\x1b[0m\x1b[0K"}},
    };
    for (const auto& c : cases) {
        LinkRig rig;
        rig.term.deliver_at(5, c.received);
        rig.dialogue.Wait_Prompt1();
        EXPECT_EQ(rig.term.disp_log(), c.disp) << c.received;
    }
}

TEST(TransferMode, HeldDuringEveryWaitAndGivenBackAlsoWhenTheControlFails) {
    for (const std::uint8_t held_before : {0, 1}) {
        LinkRig rig;
        rig.state.transfer_mode = held_before;
        std::string reply;
        const std::function<void()> waits[] = {[&] { rig.dialogue.Wait_Prompt(); },
                                               [&] { rig.dialogue.Wait_Prompt1(); },
                                               [&] { EXPECT_TRUE(rig.dialogue.TWait_Prompt(2)); },
                                               [&] { rig.dialogue.CommOut("V", reply); }};
        std::vector<int> seen;
        Millis t = 0;
        for (const auto& wait : waits) {
            rig.pump.post_at(++t, [&] { seen.push_back(rig.state.transfer_mode); });
            rig.term.deliver_at(++t, "V\r\n#");
            wait();
        }
        EXPECT_EQ(seen, (std::vector<int>{1, 1, 1, 1})) << int{held_before};
        EXPECT_EQ(rig.state.transfer_mode, held_before);

        // A failing control gives the hold back; the timed wait drops even a transfer's.
        rig.term.fail_port();
        EXPECT_THROW(rig.dialogue.Wait_Prompt(), platform::TerminalError);
        EXPECT_EQ(rig.state.transfer_mode, held_before);
        LinkRig timed;
        timed.state.transfer_mode = held_before;
        timed.term.fail_port();
        timed.pump.process_pending();
        EXPECT_FALSE(timed.dialogue.TWait_Prompt(2));
        EXPECT_EQ(timed.state.transfer_mode, 0);
    }
    LinkRig rig;
    rig.term.deliver_at(5, "VER\r\n");
    rig.pump.post_at(10, [&] { rig.term.set_PortOpen(false); });
    std::string reply = "kept";
    EXPECT_THROW(rig.dialogue.CommOut("VER", reply), platform::TerminalError);
    EXPECT_EQ(reply, "kept");
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

TEST(Pause, PumpsAtLeastOnceEndsOnTimeAndLeavesTheLineToTheReceiveHandler) {
    LinkRig rig;
    int ran = 0;
    rig.pump.post([&] { ++ran; });
    rig.dialogue.msDelay(0);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(rig.pump.now_ms(), 0);

    auto timer = rig.pump.create_timer();
    int ticks = 0;
    timer->set_callback([&] { ++ticks; });
    timer->start(100, true);
    rig.dialogue.sleep_ProcessMessages(250);
    EXPECT_EQ(rig.pump.now_ms(), 250);
    EXPECT_EQ(ticks, 2);
    EXPECT_LE(rig.pump.wait_calls(), 4u);

    rig.attach_receive();  // the line stays the receive handler's
    rig.term.deliver_after(50, "OK");
    rig.dialogue.msDelay(100);
    EXPECT_EQ(rig.term.disp_all(), "OK");
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

// The legacy control keeps its scroll position and row.
TEST(ScreenCls, ClearsScrollsAndFocuses) {
    for (const std::uint8_t legacy : {0, 1}) {
        LinkRig rig;
        rig.state.legacy_control = legacy;
        rig.term.set_Disp("one\r\ntwo\r\nthree");
        rig.term.clear_disp_log();
        rig.dialogue.ScreenCls();
        EXPECT_EQ(rig.term.scroll_log().size(), legacy ? 0u : 1u);
        EXPECT_EQ(rig.term.CursorRow(), legacy ? 3 : 1);
        EXPECT_EQ(rig.term.CursorColumn(), 1);
        EXPECT_EQ(rig.term.focus_count(), 1);
        if (legacy) continue;
        EXPECT_EQ(rig.term.disp_log(), (std::vector<std::string>{"\x1b[2J", "\x1b[2J"}));
        EXPECT_EQ(rig.term.scroll_log(),
                  (std::vector<platform::ScrollRequest>{platform::ScrollRequest::Top}));
    }
}

TEST(GetLineStr, TextWithoutLineBreaks) {
    const struct {
        std::string text;
        int row;
        std::string expected;
    } cases[] = {
        {"abc", 1, ""},
        {"a\r\nb", 2, ""},
        {"a\r\nb\r\n", 2, "b"},
        {"a\r", 2, ""},
        {"#LIST\r\n10 A=1\r\n", 1, "#LIST"},
        {"#LIST\r\n10 A=1\r\n", 3, ""},
    };
    for (const auto& c : cases) {
        LinkRig rig;
        rig.term.override_text(c.text);
        std::string line = "stale";
        rig.dialogue.GetLineStr(c.row, line);
        EXPECT_EQ(line, c.expected) << "row " << c.row << " of \"" << c.text << '"';
    }
}

}  // namespace
}  // namespace qvt::test
