#include <gtest/gtest.h>

#include "core/console/virtual_keys.h"
#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

namespace vk = console::vk;
using console::Focus;
using console::ListId;
using console::Page;
using platform::ScrollRequest;
using platform::ShiftState;

constexpr ShiftState kNone{};
constexpr ShiftState kCtrl{false, true, false};
constexpr ShiftState kShift{true, false, false};
constexpr ShiftState kAlt{false, false, true};
constexpr ShiftState kCtrlShift{true, true, false};

// ---- editing table without Ctrl or Shift -----------------------------------------

struct EditCase {
    const char* name;
    int key;
    ShiftState shift;
    int row, column;   // cursor before
    std::string disp;  // everything written to the screen by the key
    int row_after, column_after;
};

class PlainKeyTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(PlainKeyTest, EditsTheScreenAndSendsNothing) {
    const EditCase& c = GetParam();
    ConsoleRig rig;
    rig.screen("10 A=1\r\n#LIST 10\r\n", c.row, c.column);
    EXPECT_EQ(rig.type(c.key, c.shift), 0);  // always consumed
    EXPECT_EQ(rig.term.disp_all(), c.disp);
    EXPECT_EQ(rig.term.CursorRow(), c.row_after);
    EXPECT_EQ(rig.term.CursorColumn(), c.column_after);
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_FALSE(rig.keys().local_echo());
}

const std::string kUp10 = [] {
    std::string s;
    for (int i = 0; i < 10; ++i)
        s += "\x1b[A";
    return s;
}();
const std::string kDown10 = [] {
    std::string s;
    for (int i = 0; i < 10; ++i)
        s += "\x1b[B";
    return s;
}();

INSTANTIATE_TEST_SUITE_P(
    Rows, PlainKeyTest,
    ::testing::Values(EditCase{"Tab", vk::kTab, kNone, 2, 1, "\t", 2, 9},
                      EditCase{"PgUp", vk::kPrior, kNone, 15, 7, kUp10, 5, 1},
                      EditCase{"PgDn", vk::kNext, kNone, 1, 7, kDown10, 11, 1},
                      EditCase{"Home", vk::kHome, kNone, 2, 6, "", 2, 1},
                      EditCase{"EndOnEmptyLine", vk::kEnd, kNone, 5, 7, "", 5, 1},
                      EditCase{"UpOnRow1", vk::kUp, kNone, 1, 3, "", 1, 3},
                      EditCase{"Up", vk::kUp, kNone, 2, 3, "\x1b[1A", 1, 3},
                      EditCase{"DownOnLastRow", vk::kDown, kNone, 25, 3, "\n", 25, 3},
                      EditCase{"AltAloneIsPlain", vk::kHome, kAlt, 2, 6, "", 2, 1}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Keyboard, InsAndDelRewriteTheRestOfTheLine) {
    ConsoleRig rig;
    rig.screen("ABCD", 1, 2);
    rig.type(vk::kInsert);
    EXPECT_EQ(rig.row_text(1), "A BCD");
    rig.type(vk::kDelete);
    rig.type(vk::kDelete);
    EXPECT_EQ(rig.row_text(1), "ACD");
    EXPECT_EQ(rig.term.CursorColumn(), 2);
}

TEST(Keyboard, TypedCharactersAreEchoedLocallyUntilEnter) {
    ConsoleRig rig;
    rig.type_text("list");
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.row_text(1), "list");
    rig.type(vk::kReturn);
    EXPECT_EQ(rig.term.sent(), "list\r");
}

TEST(Keyboard, ControlCharactersOneToSevenAreNotWritten) {
    ConsoleRig rig;
    rig.type('A', kCtrlShift, '\x01');  // falls to the plain table
    EXPECT_EQ(rig.term.disp_all(), "");
    EXPECT_FALSE(rig.keys().local_echo());
    rig.type(8, kNone, '\b');  // Backspace is written: the emulation moves back
    EXPECT_EQ(rig.term.disp_all(), "\b");
}

TEST(Keyboard, EscResetsTheCounterAndDropsWaitingInput) {
    ConsoleRig rig;
    rig.state.max_rx_chunk = 40;
    rig.term.set_RThreshold(0);  // keep the bytes waiting
    rig.term.deliver("garbage");
    rig.pump.process_pending();
    ASSERT_GT(rig.term.InBufferCount(), 0);
    rig.type(vk::kEscape);
    EXPECT_EQ(rig.state.max_rx_chunk, 0);
    EXPECT_EQ(rig.term.InBufferCount(), 0);
}

TEST(Keyboard, AnyOtherPlainKeyRemovesTheSelectionButF8KeepsIt) {
    ConsoleRig rig;
    rig.term.set_SelStart(3);
    rig.term.set_SelLength(5);
    rig.type(vk::F(8));
    EXPECT_EQ(rig.term.SelLength(), 5);
    EXPECT_EQ(rig.ops.calls, std::vector<std::string>{"Break_Point(0)"});
    rig.type(vk::kRight);
    EXPECT_EQ(rig.term.SelLength(), 0);
}

struct FKeyCase {
    int key;
    std::vector<std::string> calls;
};

TEST(Keyboard, FunctionKeysPassTheGate) {
    const std::vector<FKeyCase> rows = {{vk::F(6), {"clr_outp"}}, {vk::F(8), {"Break_Point(0)"}}};
    for (const auto& row : rows) {
        ConsoleRig rig;
        rig.type(row.key);
        EXPECT_EQ(rig.ops.calls, row.calls) << row.key;
        ConsoleRig watching;
        watching.state.watch_mode = 1;
        watching.type(row.key);
        EXPECT_TRUE(watching.ops.calls.empty()) << row.key;
        EXPECT_EQ(watching.dialogs.last_text(), "Can not Execute (Watch Mode)");
    }
}

TEST(Keyboard, F4ListsAndF5ClearsAlsoWithAlt) {
    ConsoleRig rig;
    rig.type(vk::F(4));
    EXPECT_EQ(rig.term.sent(), "LIST\r");
    ConsoleRig other;
    other.screen("some text", 1, 5);
    other.type(vk::F(5), kAlt);
    EXPECT_EQ(other.row_text(1), "");
    EXPECT_EQ(other.term.CursorRow(), 1);
}

TEST(Keyboard, HistoryHotKeysShowThePageAndToggleTheFocus) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    shell.list(ListId::ListBox2).set_items({"a.Q2K", "b.Q2K"});
    shell.list(ListId::ListBox2).set_current(1);
    rig.type(vk::F(9));
    EXPECT_EQ(shell.current_page(), Page::TabSheet3);
    EXPECT_EQ(shell.focus(), Focus::ListBox2);
    EXPECT_EQ(shell.list(ListId::ListBox2).current(), 0);
    EXPECT_EQ(shell.list(ListId::ListBox2).selected_indices(), std::vector<int>{0});
    int key = vk::F(9);
    rig.keys().CommKeyDown(key, kNone);  // F9 again, the list holding the focus
    EXPECT_EQ(shell.focus(), Focus::Terminal);

    rig.type(vk::F(10));  // empty point list: the page shows, the focus stays
    EXPECT_EQ(shell.current_page(), Page::TabSheet6);
    EXPECT_EQ(shell.focus(), Focus::Terminal);
}

TEST(Keyboard, F2OffersToReadLabelsWhenTheListIsEmpty) {
    ConsoleRig rig;
    rig.type(vk::F(2));
    EXPECT_EQ(rig.shell().current_page(), Page::TabSheet4);
    EXPECT_EQ(rig.ops.calls, std::vector<std::string>{"LabelListClick"});
    rig.shell().labels().set_rows({{"*A", "10"}});
    rig.type(vk::F(2));
    EXPECT_EQ(rig.shell().focus(), Focus::ListView1);
    EXPECT_EQ(rig.shell().labels().selected(), 0);
}

// ---- editing table with Ctrl -----------------------------------------------------------

struct CtrlCase {
    const char* name;
    int key;
    std::vector<std::string> calls;
    std::string sent;
};

class CtrlKeyTest : public ::testing::TestWithParam<CtrlCase> {};

TEST_P(CtrlKeyTest, RunsItsOperationAlsoDuringAWatch) {
    const CtrlCase& c = GetParam();
    ConsoleRig rig;
    rig.state.watch_mode = 1;  // Ctrl keys have no gate
    int none = 0;
    rig.keys().CommKeyDown(none, kNone);  // arms the local echo
    EXPECT_EQ(rig.type(c.key, kCtrl), 0);
    std::vector<std::string> calls = rig.ops.calls;
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(rig.term.sent(), c.sent);
    EXPECT_TRUE(rig.dialogs.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CtrlKeyTest,
    ::testing::Values(CtrlCase{"B", 'B', {"Lineins(1)"}, ""},
                      CtrlCase{"A", 'A', {"Quit_Watch", "Break_Point_Set_Controls"}, "\x01"},
                      CtrlCase{
                          "Bracket", vk::kOem6, {"Quit_Watch", "Break_Point_Set_Controls"}, "\x01"},
                      CtrlCase{"Other", 'Q', {}, ""}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Keyboard, CtrlClipboardAndStopKeysClearTheLocalEcho) {
    for (int key : {int('C'), int('V'), int('A')}) {
        ConsoleRig rig;
        int none = 0;
        rig.keys().CommKeyDown(none, kNone);
        ASSERT_TRUE(rig.keys().local_echo());
        rig.type(key, kCtrl);
        EXPECT_FALSE(rig.keys().local_echo()) << key;
    }
}

TEST(Keyboard, CtrlKAndUErase) {
    ConsoleRig rig;
    rig.screen("ABCDEF", 1, 3);
    rig.type('K', kCtrl);
    EXPECT_EQ(rig.row_text(1), "AB");
    rig.screen("\rABCDEF", 1, 3);
    rig.type('U', kCtrl);
    EXPECT_EQ(rig.row_text(1), "   DEF");
}

TEST(Keyboard, CtrlScrollKeys) {
    struct Row {
        int key, row;
        std::vector<ScrollRequest> scrolls;
        std::string disp;
    };
    const std::vector<ScrollRequest> up10(10, ScrollRequest::LineUp);
    const std::vector<ScrollRequest> down10(10, ScrollRequest::LineDown);
    const std::vector<Row> rows = {
        {vk::kPrior, 5, up10, ""},
        {vk::kPrior, 1, {}, ""},
        {vk::kNext, 1, down10, ""},
        {vk::kHome, 3, std::vector<ScrollRequest>(3, ScrollRequest::LineUp), kUp10.substr(0, 9)},
        {vk::kEnd, 23, std::vector<ScrollRequest>(3, ScrollRequest::LineDown),
         kDown10.substr(0, 9)},
    };
    for (const auto& r : rows) {
        ConsoleRig rig;
        rig.screen("", r.row, 4);
        rig.type(r.key, kCtrl);
        EXPECT_EQ(rig.term.scroll_log(), r.scrolls) << r.key << " row " << r.row;
        EXPECT_EQ(rig.term.disp_all(), r.disp) << r.key << " row " << r.row;
        if (!r.disp.empty()) {
            EXPECT_EQ(rig.term.CursorColumn(), 1);
        }
    }
}

TEST(Keyboard, CtrlEnterFocusesTheListOfThePageShowing) {
    struct Row {
        Page page;
        Focus focus;
    };
    for (const Row& r :
         {Row{Page::TabSheet1, Focus::ListBox1}, Row{Page::TabSheet4, Focus::ListView1},
          Row{Page::TabSheet3, Focus::ListBox2}, Row{Page::TabSheet6, Focus::Terminal},
          Row{Page::TabSheet7, Focus::Terminal}}) {
        ConsoleRig rig;
        for (ListId id : {ListId::ListBox1, ListId::ListBox2, ListId::ListBox3, ListId::ListBox4}) {
            rig.shell().list(id).set_items({"x", "y"});
        }
        rig.shell().show_page(r.page);
        rig.type(vk::kReturn, kCtrl);
        EXPECT_EQ(rig.shell().focus(), r.focus) << static_cast<int>(r.page);
        EXPECT_EQ(rig.term.sent(), "");
        if (r.focus == Focus::ListBox1) {
            EXPECT_EQ(rig.shell().list(ListId::ListBox1).current(), 0);
            EXPECT_TRUE(rig.shell().list(ListId::ListBox1).selected(0));
        }
    }
}

TEST(Keyboard, CtrlBracketRunsFromBelowTheLastLine) {
    ConsoleRig rig;
    rig.screen("10 PRINT 1\r\n20 END\r\n", 1, 5);
    rig.type(vk::kOem4, kCtrl);
    EXPECT_EQ(rig.term.sent(), "RUN\r");
    EXPECT_EQ(rig.term.AutoScroll(), 3);
    EXPECT_EQ(rig.state.term_mode, 1);
}

// ---- editing table with Shift: selection -------------------------------------------------

TEST(Keyboard, SelectionRules) {
    struct Row {
        const char* name;
        int start_row, start_col;  // anchor and cursor
        std::vector<int> moves;    // Shift+arrow keys
        int sel_start, sel_length;
    };
    // Anchor A and cursor C count cells from 1: (row - 1) * 80 + column.
    const std::vector<Row> rows = {
        {"L: C below A - 1", 2, 5, {vk::kLeft, vk::kLeft}, 83, 3},
        {"L: C above A - 1", 2, 5, {vk::kRight, vk::kRight, vk::kLeft}, 84, 3},
        {"U: C below A - 1", 3, 5, {vk::kUp}, 85, 81},
        {"U: C above A - 1", 2, 5, {vk::kDown, vk::kDown, vk::kUp}, 84, 81},
        {"R", 2, 5, {vk::kRight, vk::kRight, vk::kRight}, 84, 4},
        {"R after Down", 2, 5, {vk::kDown}, 84, 81},
    };
    for (const auto& r : rows) {
        ConsoleRig rig;
        rig.screen("", r.start_row, r.start_col);
        rig.type('X', kShift);  // a shifted letter also drops the anchor
        for (int key : r.moves)
            rig.type(key, kShift);
        EXPECT_EQ(rig.term.SelStart(), r.sel_start) << r.name;
        EXPECT_EQ(rig.term.SelLength(), r.sel_length) << r.name;
    }
}

TEST(Keyboard, ShiftInsWritesTheClipboardAndMovesTheAnchor) {
    ConsoleRig rig;
    rig.clipboard.set_text("PRINT A");
    rig.screen("", 3, 1);
    rig.type(vk::kInsert, kShift);
    EXPECT_EQ(rig.row_text(3), "PRINT A");
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.keys().anchor_column(), 8);
    EXPECT_EQ(rig.keys().anchor_row(), 3);
}

}  // namespace
}  // namespace qvt::test
