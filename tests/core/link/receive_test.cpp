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

// Prompt cases, then the break prompt "#?" (kRev: redrawn reversed).
TEST(Receive, ShowsAndTracksTheController) {
    const RxCase cases[] = {
        {"PromptAfterLf", "term", {"RUN\r\n#"}, {}, "prompt", "menus 1"},
        {"PromptSplit", "term", {"end\r\n", "#"}, {}, "prompt", "menus 1"},
        {"PromptAfterEscape", "term", {"\x1b[0K#"}, {}, "prompt", "menus 1"},
        {"HashMidLineIsText", "term", {"A#B"}, {}, "term"},
        {"PromptWhileBreakHit", "term hit", {"\r\n#"}, {}, "hit", "menus 1"},
        {"PromptOutsideTermMode", "prompt", {"\r\n#"}, {}, ""},
        {"EchoHiddenUpToCr", "echo", {"LIST 1", "\r\n1\r\n"}, {"", "\r\n" + kEl + "1\r\n"}, ""},
        {"EchoHidesEraseToo", "echo", {"\n\x1b[AB"}, {""}, "echo"},
        {"BreakOpensWindow",
         "term keep",
         {"\r\n#?"},
         {"\r\n#" + kRev},
         "prompt bp hit",
         "menus 2, break 1, ticked"},
        {"BreakWindowOpen", "", {"\r\n#?"}, {"\r\n#" + kRev}, "bp hit", "menus 1, ticked", true},
        {"BreakSplit", "", {"\r\n#", "?"}, {"\r\n#", kRev}, "bp hit", "menus 1, break 1, ticked"},
        // Still at line start after "#?"; the next character unticks the box.
        {"BreakLeft",
         "",
         {"\r\n#?", "n\r\n"},
         {"\r\n#" + kRev, kEl + "n\r\n"},
         "hit",
         "menus 1, break 1"},
        {"QuestionWithoutHash", "", {"\r\n?"}, {}, ""},
        {"CtrlCClosesWindow", "hit", {"\x03"}, {""}, "hit", "menus 0, closed 1", true},
        {"CtrlCKeptWindow", "keep", {"\x03"}, {""}, "keep", "menus 0", true}};
    for (const RxCase& c : cases) {
        SCOPED_TRACE(c.name);
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
}

// The controller lists number, TAB, statement; the TAB reaches the next
// multiple of 8 on the screen, whatever the number's width, so a comment
// padded to column 40 (from40) lands there on the screen.
TEST(Receive, ShowsTextWithLinesErasedAndCommentsAligned) {
    const std::string pad28(28, ' ');
    const struct {
        std::string read, shown;
        std::string from40 = {};
    } rows[] = {
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
        {"\n10\tA=1 'it's", "", "'it's"},  // the second apostrophe stays in the comment
        {"\n10000\tA=12345 'c", "", "'c"},
        {"\n100\tPRINT \"a\" 'c", "", "'c"},
    };
    for (const auto& r : rows) {
        LinkRig rig;
        rig.attach_receive();
        rig.term.deliver(r.read);
        rig.pump.process_pending();
        if (!r.shown.empty()) {
            EXPECT_EQ(rig.term.disp_all(), r.shown) << r.read;
        }
        const auto& screen = rig.term.screen();
        std::string shown;
        for (std::size_t i = 0; i < r.from40.size(); ++i)
            shown += screen.cell(screen.cursor_row(), 40 + static_cast<int>(i)).byte;
        EXPECT_EQ(shown, r.from40) << r.read;
    }
}

// The first prompt enables the menus once; a line an operation owns, an error
// event and a closed port are left alone; a read takes everything waiting.
TEST(Receive, FirstPromptOwnedLinesErrorsAndThresholds) {
    LinkRig rig;
    rig.attach_receive();
    for (int i = 0; i < 2; ++i) {
        rig.term.deliver("\r\n#");
        rig.pump.process_pending();
    }
    EXPECT_EQ(rig.receive_hooks.menu_enables, 1);

    LinkRig owned;
    owned.attach_receive();
    owned.state.transfer_mode = 1;
    owned.term.deliver("\r\n#");
    owned.pump.process_pending();
    owned.term.fail_port(platform::kCommErrorFrame);
    owned.pump.process_pending();
    EXPECT_EQ(owned.term.comm_events_raised(), 2);
    EXPECT_TRUE(owned.term.disp_log().empty());
    EXPECT_EQ(owned.receive->parser().first_prompt_pending, 1);
    EXPECT_NO_THROW(owned.receive->PDQComm1Comm());  // never reads a closed port

    LinkRig quiet;
    auto& rx = quiet.attach_receive();
    quiet.term.set_InputLen(1);
    quiet.term.set_RThreshold(0);
    quiet.term.deliver("abc");
    quiet.pump.process_pending();  // no event raised: RThreshold is 0
    EXPECT_TRUE(quiet.term.disp_log().empty());
    rx.PDQComm1Comm();
    EXPECT_EQ(quiet.term.disp_all(), "abc");
    EXPECT_EQ(quiet.term.RThreshold(), 1);
    EXPECT_EQ(quiet.term.InputLen(), 0);
}

}  // namespace
}  // namespace qvt::test
