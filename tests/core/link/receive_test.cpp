#include "core/link/receive.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

const std::string kEl = "\x1b[0K";                             // erase to end of line
const std::string kBreakRedraw = "\r\x1b[7m#?\x1b[0m\x1b[0K";  // "#?" at line start, reversed

struct Flags {
    int term_mode = 0;
    int term_mode_at_prompt = 0;
    int bp_mode = 0;
    int bp_hit = 0;
    int bp_keep_window = 0;
    int echo_skip = 0;
    friend bool operator==(const Flags&, const Flags&) = default;
};

Flags flags_of(const link::SharedState& s) {
    return Flags{s.term_mode, s.term_mode_at_prompt, s.bp_mode,
                 s.bp_hit,    s.bp_keep_window,      s.echo_skip};
}

void apply(link::SharedState& s, const Flags& f) {
    s.term_mode = static_cast<std::uint8_t>(f.term_mode);
    s.term_mode_at_prompt = static_cast<std::uint8_t>(f.term_mode_at_prompt);
    s.bp_mode = static_cast<std::uint8_t>(f.bp_mode);
    s.bp_hit = static_cast<std::uint8_t>(f.bp_hit);
    s.bp_keep_window = static_cast<std::uint8_t>(f.bp_keep_window);
    s.echo_skip = static_cast<std::uint8_t>(f.echo_skip);
}

std::string pad(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

struct RxCase {
    const char* name;
    Flags before;
    std::vector<std::string> reads;  // one receive event each
    std::vector<std::string> disp;   // one Disp write per event
    Flags after;
    int menu_enables = 0;
    std::vector<int> break_point_args = {};
    bool break_ticked = false;
    int window_closes = 0;
    bool window_visible_before = false;
};

class ReceiveTest : public ::testing::TestWithParam<RxCase> {};

TEST_P(ReceiveTest, ShowsAndTracksTheController) {
    const RxCase& c = GetParam();
    LinkRig rig;
    rig.attach_receive();
    // The first prompt after start-up is tested on its own.
    rig.receive->parser().first_prompt_pending = 0;
    rig.receive_hooks.window_visible = c.window_visible_before;
    apply(rig.state, c.before);
    Millis t = 1;
    for (const auto& read : c.reads)
        rig.term.deliver_at(t++, read);
    rig.pump.run_until(t);

    EXPECT_EQ(rig.term.disp_log(), c.disp);
    EXPECT_EQ(flags_of(rig.state), c.after);
    EXPECT_EQ(rig.receive_hooks.menu_enables, c.menu_enables);
    EXPECT_EQ(rig.receive_hooks.break_point_args, c.break_point_args);
    EXPECT_EQ(rig.receive_hooks.break_ticked, c.break_ticked);
    EXPECT_EQ(rig.receive_hooks.window_closes, c.window_closes);
    EXPECT_EQ(rig.receive_hooks.set_controls, c.window_closes);
    EXPECT_EQ(rig.term.InBufferCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Prompt, ReceiveTest,
    ::testing::Values(RxCase{"AfterLfEndsTermMode",
                             {.term_mode = 1},
                             {"RUN\r\n#"},
                             {"RUN\r\n#"},
                             {.term_mode = 0, .term_mode_at_prompt = 1},
                             1},
                      RxCase{"SplitOverEvents",
                             {.term_mode = 1},
                             {"end\r\n", "#"},
                             {"end\r\n", "#"},
                             {.term_mode_at_prompt = 1},
                             1},
                      RxCase{"AfterEscapeSequence",
                             {.term_mode = 1},
                             {"\x1b[0K#"},
                             {"\x1b[0K#"},
                             {.term_mode_at_prompt = 1},
                             1},
                      RxCase{
                          "MidLineIsText", {.term_mode = 1}, {"A#B"}, {"A#B"}, {.term_mode = 1}, 0},
                      RxCase{"AtPromptKeptWhileBreakHit",
                             {.term_mode = 1, .bp_hit = 1},
                             {"\r\n#"},
                             {"\r\n#"},
                             {.bp_hit = 1},
                             1},
                      RxCase{"OutsideTermModeNothingToEnable",
                             {.term_mode_at_prompt = 1},
                             {"\r\n#"},
                             {"\r\n#"},
                             {},
                             0}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    BreakPrompt, ReceiveTest,
    ::testing::Values(RxCase{"OpensWindowAndRedrawsReversed",
                             {.term_mode = 1, .bp_keep_window = 1},
                             {"\r\n#?"},
                             {"\r\n#" + kBreakRedraw},
                             {.term_mode = 0, .term_mode_at_prompt = 1, .bp_mode = 1, .bp_hit = 1},
                             2,
                             {1},
                             true},
                      RxCase{"WindowAlreadyOpen",
                             {},
                             {"\r\n#?"},
                             {"\r\n#" + kBreakRedraw},
                             {.bp_mode = 1, .bp_hit = 1},
                             1,
                             {},
                             true,
                             0,
                             true},
                      RxCase{"SplitBetweenHashAndQuestion",
                             {},
                             {"\r\n#", "?"},
                             {"\r\n#", kBreakRedraw},
                             {.bp_mode = 1, .bp_hit = 1},
                             1,
                             {1},
                             true},
                      RxCase{"NextLineLeavesBreakPrompt",
                             {},
                             {"\r\n#?", "n\r\n"},
                             {"\r\n#" + kBreakRedraw,
                              kEl + "n\r\n"},  // still at line start after "#?"
                             {.bp_hit = 1},
                             1,
                             {1},
                             false},
                      RxCase{"QuestionWithoutHash", {}, {"\r\n?"}, {"\r\n?"}, {}, 0, {}, false},
                      RxCase{"CtrlCClosesWindow",
                             {.bp_hit = 1},
                             {"\x03"},
                             {""},
                             {.bp_hit = 1},
                             0,
                             {},
                             false,
                             1,
                             true},
                      RxCase{"CtrlCKeptWindow",
                             {.bp_keep_window = 1},
                             {"\x03"},
                             {""},
                             {.bp_keep_window = 1},
                             0,
                             {},
                             false,
                             0,
                             true}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Shown, ReceiveTest,
    ::testing::Values(
        RxCase{"ControlCodesNeverShown",
               {},
               {"\x01\x02\x15\x16"
                "A\x04"},
               {"A\x04"},
               {}},
        RxCase{"NulNeverShown", {}, {std::string("\0B", 2)}, {"B"}, {}},
        RxCase{"EchoHiddenUpToCr",
               {.echo_skip = 1},
               {"LIST 10", "\r\n10 A=1\r\n"},
               {"", "\r\n" + kEl + "10 A=1\r\n"},
               {}},
        RxCase{"EchoHidesEraseToo", {.echo_skip = 1}, {"\n\x1b[AB"}, {""}, {.echo_skip = 1}},
        RxCase{"EraseBeforeFirstCharOfLine", {}, {"\nA"}, {"\n" + kEl + "A"}, {}},
        RxCase{"EraseBeforeEscape", {}, {"\n\x1b[7m"}, {"\n" + kEl + "\x1b[7m"}, {}},
        RxCase{"NoEraseBeforeApostrophe", {}, {"\n'x"}, {"\n'x"}, {}},
        RxCase{"NoEraseBeforeCr", {}, {"\n\rA"}, {"\n\rA"}, {}},
        RxCase{"EraseOncePerLine", {}, {"\nAB\nC"}, {"\n" + kEl + "AB\n" + kEl + "C"}, {}}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Comments, ReceiveTest,
    ::testing::Values(
        RxCase{"AlignedToColumn40",
               {},
               {"\n100 A=1234 'note"},
               {"\n" + kEl + "100 A=1234 " + pad(28) + "'note"},
               {}},
        RxCase{"Column10Untouched", {}, {"\n10 A=1234'c"}, {"\n" + kEl + "10 A=1234'c"}, {}},
        RxCase{"InsideQuotesUntouched",
               {},
               {"\n100 PRINT \"it's\""},
               {"\n" + kEl + "100 PRINT \"it's\""},
               {}},
        RxCase{"AfterClosedQuotesAligned",
               {},
               {"\n1 PRINT \"a\" 'c"},
               {"\n" + kEl + "1 PRINT \"a\" " + pad(27) + "'c"},
               {}},
        RxCase{"QuotesEndAtCr",
               {},
               {"\n1 PRINT \"a\r\n2 PRINT 12 'c"},
               {"\n" + kEl + "1 PRINT \"a\r\n" + kEl + "2 PRINT 12 " + pad(28) + "'c"},
               {}},
        RxCase{"PastColumn40Untouched",
               {},
               {"\n1 " + std::string(40, 'A') + "'c"},
               {"\n" + kEl + "1 " + std::string(40, 'A') + "'c"},
               {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Receive, CommentLandsInColumn40OnScreen) {
    // The controller lists number, TAB, statement; the TAB reaches the next
    // multiple of 8 on the screen, whatever the number's width.
    const std::pair<std::string, std::string> rows[] = {
        {"100 A=1234 'note", "'note"},
        {"10\tA=1 'it's", "'it's"},  // the second apostrophe stays in the comment
        {"10000\tA=12345 'c", "'c"},
        {"100\tPRINT \"a\" 'c", "'c"}};
    for (const auto& [line, from40] : rows) {
        LinkRig rig;
        rig.attach_receive();
        rig.term.deliver("\n" + line);
        rig.pump.process_pending();
        const auto& screen = rig.term.screen();
        std::string shown;
        for (std::size_t i = 0; i < from40.size(); ++i)
            shown += screen.cell(screen.cursor_row(), 40 + static_cast<int>(i)).byte;
        EXPECT_EQ(shown, from40) << line;
    }
}

TEST(Receive, FirstPromptEnablesTheMenusOnce) {
    LinkRig rig;
    rig.attach_receive();
    rig.term.deliver("\r\n#");
    rig.pump.process_pending();
    EXPECT_EQ(rig.receive_hooks.menu_enables, 1);
    EXPECT_EQ(rig.receive->parser().first_prompt_pending, 0);
    rig.term.deliver("\r\n#");
    rig.pump.process_pending();
    EXPECT_EQ(rig.receive_hooks.menu_enables, 1);
}

TEST(Receive, LeavesTheLineToAnOperationThatOwnsIt) {
    LinkRig rig;
    rig.attach_receive();
    rig.state.transfer_mode = 1;
    rig.term.deliver("\r\n#");
    rig.pump.process_pending();
    EXPECT_EQ(rig.term.comm_events_raised(), 1);
    EXPECT_TRUE(rig.term.disp_log().empty());
    EXPECT_EQ(rig.term.InBufferCount(), 3);
    EXPECT_EQ(rig.receive->parser().first_prompt_pending, 1);
}

TEST(Receive, IgnoresErrorEventsAndClosedPort) {
    LinkRig rig;
    rig.attach_receive();
    rig.term.fail_port(platform::kCommErrorFrame);
    rig.pump.process_pending();
    EXPECT_EQ(rig.term.comm_events_raised(), 1);
    EXPECT_EQ(rig.term.CommEvent(), platform::kCommErrorFrame);
    EXPECT_TRUE(rig.term.disp_log().empty());
    EXPECT_NO_THROW(rig.receive->PDQComm1Comm());  // never reads a closed port
}

TEST(Receive, TakesEverythingAndRestoresThresholds) {
    LinkRig rig;
    auto& rx = rig.attach_receive();
    rig.term.set_InputLen(1);
    rig.term.set_RThreshold(0);
    rig.term.deliver("abc");
    rig.pump.process_pending();  // no event raised: RThreshold is 0
    EXPECT_TRUE(rig.term.disp_log().empty());
    rx.PDQComm1Comm();
    EXPECT_EQ(rig.term.disp_all(), "abc");
    EXPECT_EQ(rig.term.RThreshold(), 1);
    EXPECT_EQ(rig.term.InputLen(), 0);
}

TEST(Receive, LargestChunkIsKeptAndShown) {
    LinkRig rig;
    rig.attach_receive();
    for (const char* read : {"12345", "123", "1234567"}) {
        rig.term.deliver(read);
        rig.pump.process_pending();
    }
    EXPECT_EQ(rig.state.max_rx_chunk, 7);
    EXPECT_EQ(rig.receive_hooks.shown_chunks, (std::vector<int>{5, 7}));
}

TEST(Receive, BreakBoxUntickedByTheNextCharacter) {
    LinkRig rig;
    rig.attach_receive();
    rig.term.deliver("\r\n#?");
    rig.pump.process_pending();
    EXPECT_TRUE(rig.receive_hooks.break_ticked);
    rig.term.deliver("x");
    rig.pump.process_pending();
    EXPECT_FALSE(rig.receive_hooks.break_ticked);
    EXPECT_EQ(rig.state.bp_mode, 0);
    EXPECT_EQ(rig.state.bp_hit, 1);
}

}  // namespace
}  // namespace qvt::test
