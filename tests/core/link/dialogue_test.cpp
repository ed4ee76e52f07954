#include "core/link/dialogue.h"

#include <gtest/gtest.h>

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

// ---- CommOut -------------------------------------------------------------------

struct CommOutCase {
    const char* name;
    Chunks chunks;
    std::string reply;
    Millis done_at;
};

class CommOutTest : public ::testing::TestWithParam<CommOutCase> {};

TEST_P(CommOutTest, CollectsTheReplyUpToThePrompt) {
    const CommOutCase& c = GetParam();
    LinkRig rig;
    schedule(rig, c.chunks);
    std::string reply = "stale";
    rig.dialogue.CommOut("VER", reply);
    EXPECT_EQ(reply, c.reply);
    EXPECT_EQ(rig.pump.now_ms(), c.done_at);
    EXPECT_EQ(rig.term.sent(), "VER\r");
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_TRUE(rig.term.disp_log().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, CommOutTest,
    ::testing::Values(
        CommOutCase{"Ver", {{5, "VER\r\nREV-2.05\r\n#"}}, "REV-2.05\r\n", 5},
        CommOutCase{"SplitOverReads",
                    {{1, "VER\r"}, {2, "\nREV"}, {3, "-2.05\r\n"}, {50, "#"}},
                    "REV-2.05\r\n",
                    50},
        CommOutCase{"MultiLine", {{5, "LIST\r\n10 A=1\r\n20 B=2\r\n#"}}, "10 A=1\r\n20 B=2\r\n", 5},
        CommOutCase{"HashMidLineStays", {{5, "PRINT\r\nA#B\r\n#"}}, "A#B\r\n", 5},
        CommOutCase{"HashAfterCrIsText", {{5, "X\r\nabc\r#def\r\n#"}}, "abc#def\r\n", 5},
        CommOutCase{"LaterPromptInSameReadIgnored", {{5, "V\r\nA\r\n#B\r\n#"}}, "A\r\n", 5},
        CommOutCase{"EmptyReply", {{7, "VER\r\n#"}}, "", 7}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(CommOut, RestOfThePromptReadIsConsumed) {
    LinkRig rig;
    rig.term.deliver_at(5, "VER\r\nA\r\n#tail");
    std::string reply;
    rig.dialogue.CommOut("VER", reply);
    EXPECT_EQ(rig.term.InBufferCount(), 0);
}

TEST(CommOut, BlocksInsteadOfPolling) {
    LinkRig rig;
    rig.term.deliver_at(3000, "VER\r\nREV\r\n#");
    std::string reply;
    rig.dialogue.CommOut("VER", reply);
    EXPECT_EQ(reply, "REV\r\n");
    // One wait for the output to leave, one for the reply; a polling loop
    // would have made thousands.
    EXPECT_LE(rig.pump.wait_calls(), 3u);
}

TEST(CommOut, WaitsForPacedOutputBeforeReading) {
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

// ---- the prompt waits ------------------------------------------------------------

enum class Wait { Prompt, Prompt1, Timed };

struct PromptCase {
    const char* name;
    Chunks chunks;
    Millis prompt_ends_wait_prompt;  // -1: never
    Millis prompt_ends_wait_prompt1;
    Millis prompt_ends_twait;  // within its 10 s
};

class PromptWaitTest : public ::testing::TestWithParam<PromptCase> {};

Millis run_wait(Wait which, const Chunks& chunks) {
    LinkRig rig;
    schedule(rig, chunks);
    try {
        switch (which) {
            case Wait::Prompt:
                rig.dialogue.Wait_Prompt();
                break;
            case Wait::Prompt1:
                rig.dialogue.Wait_Prompt1();
                break;
            case Wait::Timed:
                if (!rig.dialogue.TWait_Prompt(10)) return -1;
                break;
        }
    } catch (const VirtualDeadlock&) {
        return -1;  // nothing more could arrive: the wait would never end
    }
    EXPECT_EQ(rig.state.transfer_mode, 0);
    return rig.pump.now_ms();
}

TEST_P(PromptWaitTest, EndsOnlyOnAPromptAtLineStart) {
    const PromptCase& c = GetParam();
    EXPECT_EQ(run_wait(Wait::Prompt, c.chunks), c.prompt_ends_wait_prompt) << "Wait_Prompt";
    EXPECT_EQ(run_wait(Wait::Prompt1, c.chunks), c.prompt_ends_wait_prompt1) << "Wait_Prompt1";
    EXPECT_EQ(run_wait(Wait::Timed, c.chunks), c.prompt_ends_twait) << "TWait_Prompt";
}

INSTANTIATE_TEST_SUITE_P(
    Prompts, PromptWaitTest,
    ::testing::Values(PromptCase{"AfterLf", {{20, "abc\r\n#"}}, 20, 20, 20},
                      PromptCase{"AfterCrOnly", {{20, "abc\r#"}}, 20, 20, 20},
                      PromptCase{"AfterLfAlone", {{20, "\n#"}}, 20, 20, 20},
                      PromptCase{"MidLine", {{20, "abc#"}}, -1, -1, -1},
                      PromptCase{"BlankBeforeHash", {{20, "\r\n #"}}, -1, -1, -1},
                      PromptCase{"SplitAcrossReads", {{20, "abc\r\n"}, {70, "#"}}, 70, 70, 70},
                      PromptCase{"ContinuationPrompt", {{20, "10 A\r\n>"}}, -1, 20, -1},
                      PromptCase{"ContinuationThenPrompt", {{20, "\r\n>"}, {30, "#"}}, -1, 20, 30},
                      PromptCase{
                          "MidLineThenRealPrompt", {{20, "a#b\r\n"}, {40, "#"}}, 40, 40, 40}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(WaitPrompt, DiscardsWhatArrives) {
    LinkRig rig;
    rig.term.deliver_at(5, "LIST\r\n10 A=1\r\n#");
    rig.dialogue.Wait_Prompt();
    EXPECT_TRUE(rig.term.disp_log().empty());
}

struct ShownCase {
    const char* name;
    std::string received;
    std::vector<std::string> disp;
};

class WaitPrompt1Shows : public ::testing::TestWithParam<ShownCase> {};

TEST_P(WaitPrompt1Shows, TheAnswerAfterTheEcho) {
    LinkRig rig;
    rig.term.deliver_at(5, GetParam().received);
    rig.dialogue.Wait_Prompt1();
    EXPECT_EQ(rig.term.disp_log(), GetParam().disp);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WaitPrompt1Shows,
    ::testing::Values(
        ShownCase{"EchoDropped", "10 A=1\r\nSyntax error\r\n#", {"\r\nSyntax error\r\n"}},
        ShownCase{"NothingButEcho", "10 A=1\r\n#", {"\r\n"}},
        ShownCase{"HashMidLineDropped", "10 A#1\r\nX#Y\r\n#", {"\r\nXY\r\n"}},
        ShownCase{"EndsOnContinuation", "10 A=1\r\n>", {"\r\n"}},
        ShownCase{
            "SecondPromptInReadShowsAgain", "X\r\nA\r\n#B\r\n#", {"\r\nA\r\n", "\r\nA\r\nB\r\n"}},
        ShownCase{"CantEditGetsBreakPrompt",
                  "10 A=1\r\nCan't Edit\r\n#",
                  {"\r\nCan't Edit\r\n", "\x1b[7m#?\x1b[0m\x1b[0K"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(WaitPrompt1, CantEditPromptIsDrawnInReverseVideo) {
    LinkRig rig;
    rig.term.deliver_at(5, "10 A=1\r\nCan't Edit\r\n#");
    rig.dialogue.Wait_Prompt1();
    const auto& screen = rig.term.screen();
    const int row = screen.cursor_row();
    EXPECT_EQ(screen.cell(row, 1).byte, '#');
    EXPECT_TRUE(screen.cell(row, 1).reverse);
    EXPECT_EQ(screen.cell(row, 2).byte, '?');
    EXPECT_TRUE(screen.cell(row, 2).reverse);
}

// ---- transfer_mode ownership -------------------------------------------------------

TEST(TransferMode, HeldDuringEveryWaitAndGivenBack) {
    for (const std::uint8_t held_before : {0, 1}) {
        LinkRig rig;
        rig.state.transfer_mode = held_before;
        std::vector<int> seen;
        auto probe = [&] { seen.push_back(rig.state.transfer_mode); };
        rig.pump.post_at(1, probe);
        rig.term.deliver_at(2, "\r\n#");
        rig.dialogue.Wait_Prompt();
        rig.pump.post_at(3, probe);
        rig.term.deliver_at(4, "\r\n#");
        rig.dialogue.Wait_Prompt1();
        rig.pump.post_at(5, probe);
        rig.term.deliver_at(6, "\r\n#");
        EXPECT_TRUE(rig.dialogue.TWait_Prompt(2));
        rig.pump.post_at(7, probe);
        rig.term.deliver_at(8, "V\r\n#");
        std::string reply;
        rig.dialogue.CommOut("V", reply);
        EXPECT_EQ(seen, (std::vector<int>{1, 1, 1, 1})) << int{held_before};
        EXPECT_EQ(rig.state.transfer_mode, held_before);
    }
}

TEST(TransferMode, GivenBackWhenTheControlFails) {
    for (const std::uint8_t held_before : {0, 1}) {
        LinkRig rig;
        rig.state.transfer_mode = held_before;
        rig.term.fail_port();
        EXPECT_THROW(rig.dialogue.Wait_Prompt(), platform::TerminalError);
        EXPECT_EQ(rig.state.transfer_mode, held_before);
    }
    LinkRig rig;
    rig.term.deliver_at(5, "VER\r\n");
    rig.pump.post_at(10, [&] { rig.term.set_PortOpen(false); });
    std::string reply = "kept";
    EXPECT_THROW(rig.dialogue.CommOut("VER", reply), platform::TerminalError);
    EXPECT_EQ(reply, "kept");
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

TEST(TransferMode, TimedWaitClearsItWhenTheControlFails) {
    LinkRig rig;
    rig.state.transfer_mode = 1;  // even a transfer's hold is dropped
    rig.term.fail_port();
    rig.pump.process_pending();
    EXPECT_FALSE(rig.dialogue.TWait_Prompt(2));
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

// ---- TWait_Prompt time limit ---------------------------------------------------------

struct TimedCase {
    const char* name;
    Chunks chunks;
    bool result;
    Millis ends_at;
};

class TimedWaitTest : public ::testing::TestWithParam<TimedCase> {};

TEST_P(TimedWaitTest, GivesUpAtTwoSeconds) {
    LinkRig rig;
    schedule(rig, GetParam().chunks);
    EXPECT_EQ(rig.dialogue.TWait_Prompt(2), GetParam().result);
    EXPECT_EQ(rig.pump.now_ms(), GetParam().ends_at);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TimedWaitTest,
    ::testing::Values(TimedCase{"InTime", {{500, "BKP 0\r\n#"}}, true, 500},
                      TimedCase{"LastMillisecond", {{1999, "\r\n#"}}, true, 1999},
                      TimedCase{"PromptInTheReadAtTheLimit", {{2000, "\r\n#"}}, false, 2000},
                      TimedCase{"Silence", {}, false, 2000},
                      TimedCase{"TooLate", {{2500, "\r\n#"}}, false, 2000},
                      TimedCase{"OnlyText", {{100, "running\r\n"}, {900, "x#"}}, false, 2000}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TimedWait, PromptReadTogetherWithASlowEventCountsAsLate) {
    LinkRig rig;
    // The prompt arrives at 1000 ms, but a handler run by the same pump keeps
    // the program busy until 2500 ms: the prompt is read after the limit.
    rig.pump.post_at(1000, [&] { rig.pump.run_for(1500); });
    rig.term.deliver_at(1000, "\r\n#");
    EXPECT_FALSE(rig.dialogue.TWait_Prompt(2));
    EXPECT_EQ(rig.pump.now_ms(), 2500);
}

// ---- pauses ---------------------------------------------------------------------------

TEST(Pause, PumpsAtLeastOnceAndEndsOnTime) {
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
}

TEST(Pause, LeavesTheLineToTheReceiveHandler) {
    LinkRig rig;
    rig.attach_receive();
    rig.term.deliver_at(50, "OK");
    rig.dialogue.msDelay(100);
    EXPECT_EQ(rig.term.disp_all(), "OK");
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

// ---- screen helpers ------------------------------------------------------------------

TEST(ScreenCls, ClearsScrollsAndFocuses) {
    LinkRig rig;
    rig.term.set_Disp("one\r\ntwo\r\nthree");
    rig.term.clear_disp_log();
    rig.dialogue.ScreenCls();
    EXPECT_EQ(rig.term.disp_log(), (std::vector<std::string>{"\x1b[2J", "\x1b[2J"}));
    EXPECT_EQ(rig.term.scroll_log(),
              (std::vector<platform::ScrollRequest>{platform::ScrollRequest::Top}));
    EXPECT_EQ(rig.term.CursorRow(), 1);
    EXPECT_EQ(rig.term.CursorColumn(), 1);
    EXPECT_EQ(rig.term.focus_count(), 1);
    std::string line;
    rig.dialogue.GetLineStr(1, line);
    EXPECT_EQ(line, "");
}

TEST(ScreenCls, LegacyControlKeepsItsScrollPositionAndRow) {
    LinkRig rig;
    rig.state.legacy_control = 1;
    rig.term.set_Disp("one\r\ntwo\r\nthree");
    rig.term.set_CursorRow(3);
    rig.dialogue.ScreenCls();
    EXPECT_TRUE(rig.term.scroll_log().empty());
    EXPECT_EQ(rig.term.CursorColumn(), 1);
    EXPECT_EQ(rig.term.focus_count(), 1);
}

TEST(GetLineStr, ReadsRowsOfTheScreen) {
    LinkRig rig;
    rig.term.set_Disp("#LIST\r\n10 A=1\r\n");
    std::string line = "stale";
    rig.dialogue.GetLineStr(1, line);
    EXPECT_EQ(line, "#LIST");
    rig.dialogue.GetLineStr(2, line);
    EXPECT_EQ(line, "10 A=1");
    rig.dialogue.GetLineStr(3, line);
    EXPECT_EQ(line, "");
}

TEST(GetLineStr, BottomRowAfterTheScreenScrolled) {
    LinkRig rig;
    rig.term.set_Columns(40);
    rig.term.set_Rows(5);
    for (int i = 1; i <= 12; ++i) {
        rig.term.set_Disp('L' + std::to_string(i) + (i < 12 ? "\r\n" : ""));
    }
    ASSERT_EQ(rig.term.CursorRow(), 5);
    std::string line;
    rig.dialogue.GetLineStr(rig.term.CursorRow(), line);
    EXPECT_EQ(line, "L12");
    rig.dialogue.GetLineStr(1, line);
    EXPECT_EQ(line, "L8");
    rig.dialogue.GetLineStr(6, line);
    EXPECT_EQ(line, "");
}

TEST(GetLineStr, TextWithoutLineBreaks) {
    struct Case {
        std::string text;
        int row;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"", 1, ""},           {"abc", 1, ""}, {"a\r\nb", 2, ""}, {"a\r\nb\r\n", 2, "b"},
        {"a\r\nb\r\n", 9, ""}, {"a\r", 2, ""},
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
