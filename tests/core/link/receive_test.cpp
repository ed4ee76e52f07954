#include "core/link/receive.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

const std::string kEl = "\x1b[0K";                     // erase to end of line
const std::string kRev = "\r\x1b[7m#?\x1b[0m\x1b[0K";  // "#?" at line start, reversed

// The flags the receive handler reads and sets, named by a word each; a case
// lists the ones that are 1.
constexpr const char* kFlagNames[] = {"term", "prompt", "bp", "hit", "keep", "echo"};

std::array<std::uint8_t*, 6> flag_fields(link::SharedState& s) {
    return {&s.term_mode, &s.term_mode_at_prompt, &s.bp_mode,
            &s.bp_hit,    &s.bp_keep_window,      &s.echo_skip};
}

std::string flags_of(link::SharedState& s) {
    std::string out;
    for (std::size_t i = 0; i < 6; ++i)
        if (*flag_fields(s)[i] != 0) out += std::string(out.empty() ? "" : " ") + kFlagNames[i];
    return out;
}

void apply(link::SharedState& s, const std::string& words) {
    for (std::size_t i = 0; i < 6; ++i)
        *flag_fields(s)[i] =
            (" " + words + " ").find(std::string(" ") + kFlagNames[i] + " ") != std::string::npos;
}

// What the receive handler asked of the main window, in one line.
std::string asked(const RecordingReceiveHooks& h) {
    std::string s = "menus " + std::to_string(h.menu_enables);
    for (int arg : h.break_point_args)
        s += ", break " + std::to_string(arg);
    if (h.break_ticked) s += ", ticked";
    if (h.window_closes != 0) s += ", closed " + std::to_string(h.window_closes);
    if (h.set_controls != h.window_closes) s += ", controls " + std::to_string(h.set_controls);
    return s;
}

struct RxCase {
    const char* name;
    std::string before;
    std::vector<std::string> reads;  // one receive event each
    std::vector<std::string> disp;   // one Disp write per event; empty: the reads as they came
    std::string after;
    std::string asked = "menus 0";
    bool window_visible_before = false;
};

class ReceiveTest : public ::testing::TestWithParam<RxCase> {};

TEST_P(ReceiveTest, ShowsAndTracksTheController) {
    const RxCase& c = GetParam();
    LinkRig rig;
    rig.attach_receive();
    rig.receive->parser().first_prompt_pending = 0;  // the first prompt has its own test
    rig.receive_hooks.window_visible = c.window_visible_before;
    apply(rig.state, c.before);
    Millis t = 1;
    for (const auto& read : c.reads)
        rig.term.deliver_at(t++, read);
    rig.pump.run_until(t);

    EXPECT_EQ(rig.term.disp_log(), c.disp.empty() ? c.reads : c.disp);
    EXPECT_EQ(flags_of(rig.state), c.after);
    EXPECT_EQ(asked(rig.receive_hooks), c.asked);
    EXPECT_EQ(rig.term.InBufferCount(), 0);
}

// Names: prompt cases, then the break prompt "#?" (kRev: redrawn reversed).
INSTANTIATE_TEST_SUITE_P(
    Cases, ReceiveTest,
    ::testing::Values(
        RxCase{"PromptAfterLf", "term", {"RUN\r\n#"}, {}, "prompt", "menus 1"},
        RxCase{"PromptSplit", "term", {"end\r\n", "#"}, {}, "prompt", "menus 1"},
        RxCase{"PromptAfterEscape", "term", {"\x1b[0K#"}, {}, "prompt", "menus 1"},
        RxCase{"HashMidLineIsText", "term", {"A#B"}, {}, "term"},
        RxCase{"PromptWhileBreakHit", "term hit", {"\r\n#"}, {}, "hit", "menus 1"},
        RxCase{"PromptOutsideTermMode", "prompt", {"\r\n#"}, {}, ""},
        RxCase{
            "EchoHiddenUpToCr", "echo", {"LIST 1", "\r\n1\r\n"}, {"", "\r\n" + kEl + "1\r\n"}, ""},
        RxCase{"EchoHidesEraseToo", "echo", {"\n\x1b[AB"}, {""}, "echo"},
        RxCase{"BreakOpensWindow",
               "term keep",
               {"\r\n#?"},
               {"\r\n#" + kRev},
               "prompt bp hit",
               "menus 2, break 1, ticked"},
        RxCase{
            "BreakWindowOpen", "", {"\r\n#?"}, {"\r\n#" + kRev}, "bp hit", "menus 1, ticked", true},
        RxCase{"BreakSplit",
               "",
               {"\r\n#", "?"},
               {"\r\n#", kRev},
               "bp hit",
               "menus 1, break 1, ticked"},
        // Still at line start after "#?"; the next character unticks the box.
        RxCase{"BreakLeft",
               "",
               {"\r\n#?", "n\r\n"},
               {"\r\n#" + kRev, kEl + "n\r\n"},
               "hit",
               "menus 1, break 1"},
        RxCase{"QuestionWithoutHash", "", {"\r\n?"}, {}, ""},
        RxCase{"CtrlCClosesWindow", "hit", {"\x03"}, {""}, "hit", "menus 0, closed 1", true},
        RxCase{"CtrlCKeptWindow", "keep", {"\x03"}, {""}, "keep", "menus 0", true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Receive, ShowsTextWithLinesErasedAndCommentsAligned) {
    const std::string pad28(28, ' ');
    const std::pair<std::string, std::string> rows[] = {
        {std::string("\x01\x02\x15\x16") + "A\x04", "A\x04"},  // control codes never shown
        {std::string("\0B", 2), "B"},
        {"\nA", "\n" + kEl + "A"},
        {"\n\x1b[7m", "\n" + kEl + "\x1b[7m"},
        {"\n'x", "\n'x"},
        {"\n\rA", "\n\rA"},
        {"\nAB\nC", "\n" + kEl + "AB\n" + kEl + "C"},
        {"\n100 A=1234 'note", "\n" + kEl + "100 A=1234 " + pad28 + "'note"},
        {"\n10 A=1234'c", "\n" + kEl + "10 A=1234'c"},
        {"\n100 PRINT \"it's\"", "\n" + kEl + "100 PRINT \"it's\""},
        {"\n1 PRINT \"a\" 'c", "\n" + kEl + "1 PRINT \"a\" " + std::string(27, ' ') + "'c"},
        {"\n1 PRINT \"a\r\n2 PRINT 12 'c",
         "\n" + kEl + "1 PRINT \"a\r\n" + kEl + "2 PRINT 12 " + pad28 + "'c"},
        {"\n1 " + std::string(40, 'A') + "'c", "\n" + kEl + "1 " + std::string(40, 'A') + "'c"},
    };
    for (const auto& [read, shown] : rows) {
        LinkRig rig;
        rig.attach_receive();
        rig.term.deliver(read);
        rig.pump.process_pending();
        EXPECT_EQ(rig.term.disp_all(), shown) << read;
    }
}

TEST(Receive, CommentLandsInColumn40OnScreen) {
    // The controller lists number, TAB, statement; the TAB reaches the next
    // multiple of 8 on the screen, whatever the number's width.
    const std::pair<std::string, std::string> rows[] = {
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
    for (int i = 0; i < 2; ++i) {
        rig.term.deliver("\r\n#");
        rig.pump.process_pending();
    }
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

}  // namespace
}  // namespace qvt::test
