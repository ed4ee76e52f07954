#include <gtest/gtest.h>

#include "core/console/virtual_keys.h"
#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

namespace vk = console::vk;
using console::Focus;
using platform::ShiftState;
using Strings = std::vector<std::string>;

constexpr ShiftState kNone{};
constexpr ShiftState kCtrl{false, true, false};
constexpr ShiftState kShift{true, false, false};
constexpr ShiftState kAlt{false, false, true};
constexpr ShiftState kCtrlShift{true, true, false};

// ---- the editing keys: the screen changes, nothing is sent --------------------------

TEST(Keyboard, PlainEditingKeys) {
    struct Case {
        int key;
        ShiftState shift;
        int row, column;   // cursor before
        std::string disp;  // everything written to the screen by the key
        int row_after, column_after;
    };
    std::string up10, down10;
    for (int i = 0; i < 10; ++i) {
        up10 += "\x1b[A";
        down10 += "\x1b[B";
    }
    for (const Case& c : std::vector<Case>{{vk::kTab, kNone, 2, 1, "\t", 2, 9},
                                           {vk::kPrior, kNone, 15, 7, up10, 5, 1},
                                           {vk::kNext, kNone, 1, 7, down10, 11, 1},
                                           {vk::kEnd, kNone, 5, 7, "", 5, 1},  // empty line
                                           {vk::kUp, kNone, 1, 3, "", 1, 3},
                                           {vk::kUp, kNone, 2, 3, "\x1b[1A", 1, 3},
                                           {vk::kDown, kNone, 25, 3, "\n", 25, 3},  // last row
                                           {vk::kHome, kAlt, 2, 6, "", 2, 1},       // Alt is plain
                                           {vk::kEscape, kNone, 2, 3, "", 2, 3}}) {
        ConsoleRig rig;
        rig.screen("10 A=1\r\n#LIST 10\r\n", c.row, c.column);
        rig.term.set_RThreshold(0);  // keep the bytes waiting
        rig.term.deliver("old");
        rig.pump.process_pending();
        SCOPED_TRACE(c.key);
        EXPECT_EQ(rig.type(c.key, c.shift), 0);                          // always consumed
        EXPECT_EQ(rig.term.InBufferCount() == 0, c.key == vk::kEscape);  // Esc drops them
        EXPECT_EQ(rig.term.disp_all(), c.disp);
        EXPECT_EQ(rig.term.CursorRow(), c.row_after);
        EXPECT_EQ(rig.term.CursorColumn(), c.column_after);
        EXPECT_EQ(rig.term.sent(), "");
    }
}

TEST(Keyboard, InsDelCtrlKUEraseAndLocalEcho) {
    ConsoleRig rig;
    rig.screen("ABCD", 1, 2);
    rig.type(vk::kInsert);
    EXPECT_EQ(rig.row_text(1), "A BCD");
    rig.type(vk::kDelete);
    rig.type(vk::kDelete);
    EXPECT_EQ(rig.row_text(1), "ACD");
    EXPECT_EQ(rig.term.CursorColumn(), 2);
    rig.screen("\rABCDEF", 1, 3);  // over the line
    rig.type('K', kCtrl);
    EXPECT_EQ(rig.row_text(1), "AB");
    rig.screen("\rABCDEF", 1, 3);
    rig.type('U', kCtrl);
    EXPECT_EQ(rig.row_text(1), "   DEF");

    // Typed characters are echoed locally until Enter sends the line.
    ConsoleRig typed;
    typed.type_text("list");
    EXPECT_EQ(typed.term.sent(), "");
    EXPECT_EQ(typed.row_text(1), "list");
    typed.type(vk::kReturn);
    EXPECT_EQ(typed.term.sent(), "list\r");

    ConsoleRig controls;
    controls.type('A', kCtrlShift, '\x01');  // one to seven are not written
    EXPECT_EQ(controls.term.disp_all(), "");
    controls.type(8, kNone, '\b');  // Backspace is written: the emulation moves back
    EXPECT_EQ(controls.term.disp_all(), "\b");
}

// ---- function keys ---------------------------------------------------------------------

TEST(Keyboard, FunctionKeys) {
    ConsoleRig rig;
    rig.screen("some text", 2, 5);
    rig.term.set_SelLength(5);
    rig.type(vk::F(8));  // keeps the selection, which any other plain key removes
    EXPECT_EQ(rig.term.SelLength(), 5);
    rig.type(vk::F(6));
    EXPECT_EQ(rig.ops.calls, (Strings{"Break_Point(0)", "clr_outp"}));
    rig.type(vk::F(5), kAlt);  // Alt is plain: the screen is cleared
    EXPECT_EQ(rig.row_text(1), "");
    EXPECT_EQ(rig.term.CursorRow(), 1);
    rig.type(vk::F(4));
    EXPECT_EQ(rig.term.sent(), "LIST\r");
    int closes = 0;
    rig.shell().hooks.close_window = [&] { ++closes; };
    EXPECT_EQ(rig.type(vk::F(4), kAlt), 0);  // Alt+F4 closes the window
    EXPECT_EQ(closes, 1);
}

// ---- Ctrl keys --------------------------------------------------------------------------

TEST(Keyboard, CtrlKeysRunTheirOperationAlsoDuringAWatch) {
    struct Case {
        int key;
        Strings calls;
        std::string sent;
        bool echo_after;
    };
    const Strings stop = {"Quit_Watch", "Break_Point_Set_Controls"};
    for (const Case& c : std::vector<Case>{{'B', {"Lineins(1)"}, "", true},
                                           {'D', {"Disconnect1Click"}, "", true},
                                           {'A', stop, "\x01", false},
                                           {'C', {"Copy_to_Clipboard(0)"}, "", false},
                                           {'Q', {}, "", true}}) {
        ConsoleRig rig;
        rig.state.watch_mode = 1;  // Ctrl keys have no gate
        int none = 0;
        rig.keys().CommKeyDown(none, kNone);  // arms the local echo
        SCOPED_TRACE(c.key);
        EXPECT_EQ(rig.type(c.key, kCtrl), 0);
        EXPECT_EQ(rig.ops.calls, c.calls);
        EXPECT_EQ(rig.term.sent(), c.sent);
        EXPECT_EQ(rig.keys().local_echo(), c.echo_after);
        EXPECT_TRUE(rig.dialogs.messages().empty());
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

// ---- Shift: selection and the clipboard -------------------------------------------------

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

// ---- terminal mode: keys pass through to the controller ---------------------------------

TEST(PassThrough, OneCharacterPerKeyRelease) {
    ConsoleRig rig;
    rig.state.term_mode = 1;
    // Nothing was released since start: the first character is held back.
    rig.type('A', kNone, 'a');
    EXPECT_EQ(rig.term.sent(), "");
    // A held key: two downs, two characters, one release at the end.
    for (int i = 0; i < 2; ++i) {
        int k = 'B';
        rig.keys().PDQComm1KeyDown(k, kNone);
        char c = 'b';
        rig.keys().PDQComm1KeyPress(c);
    }
    EXPECT_EQ(rig.term.sent(), "b");
    int up = 'B';
    rig.keys().PDQComm1KeyUp(up, kNone);
    rig.type('C', kNone, 'c');
    EXPECT_EQ(rig.term.sent(), "bc");
    EXPECT_EQ(rig.row_text(1), "");  // nothing echoed locally
}

TEST(PassThrough, Table) {
    struct Row {
        int key;
        ShiftState shift;
        char ch;
        std::string sent;
    };
    for (const Row& r : std::vector<Row>{{vk::kTab, kNone, '\t', "\t"},  // once
                                         {vk::kEscape, kNone, '\x1b', "\x1b"},
                                         {vk::kReturn, kNone, '\r', "\r"},
                                         {'A', kCtrl, '\x01', "\x01"},
                                         {vk::kOem6, kCtrl, '\x1d', "\x01"},
                                         {'X', kCtrl, '\x18', ""},
                                         {vk::kLeft, kNone, 0, ""}}) {  // left to the control
        ConsoleRig rig;
        rig.state.term_mode = 1;
        rig.state.echo_skip = 1;
        int up = 0;
        rig.keys().PDQComm1KeyUp(up, kNone);
        rig.term.set_RThreshold(0);
        rig.term.deliver("old");
        rig.pump.process_pending();
        rig.type(r.key, r.shift, r.ch);
        SCOPED_TRACE(r.key);
        EXPECT_EQ(rig.term.sent(), r.sent);
        EXPECT_FALSE(rig.keys().pass_through());
        EXPECT_TRUE(r.key != vk::kEscape || rig.term.InBufferCount() == 0);  // Esc drops input
        EXPECT_TRUE(r.shift != kCtrl || r.sent.empty() || rig.state.echo_skip == 0);
    }
}

// In terminal mode the key code itself goes out; with the port closed or
// during a wait nothing but Ctrl-A does (the next test).
TEST(PassThrough, CommKeyDownSendsTheKeyInTerminalModeAndNothingOtherwise) {
    ConsoleRig term;
    term.state.term_mode = 1;
    int enter = vk::kReturn;
    term.keys().CommKeyDown(enter, kNone);
    int ctrl_a = 'A';
    term.keys().CommKeyDown(ctrl_a, kCtrl);
    EXPECT_EQ(term.term.sent(), "\r\x01");
    EXPECT_EQ(term.ops.calls, Strings{"DisableBreakPointButton"});

    ConsoleRig rig;
    rig.term.set_PortOpen(false);
    EXPECT_EQ(rig.type(vk::kHome), vk::kHome);  // not consumed
    ConsoleRig busy;
    busy.state.transfer_mode = 1;
    int key = vk::kReturn;
    busy.keys().CommKeyDown(key, kNone);
    EXPECT_EQ(key, vk::kReturn);
    EXPECT_EQ(busy.term.sent(), "");
}

// A lost prompt after a typed program line: Ctrl-A typed meanwhile brings the
// prompt that ends the wait.
TEST(PassThrough, CtrlAEndsAWaitForALostPrompt) {
    ConsoleRig rig;
    rig.screen("100 A=1", 1, 8);
    // The full line is answered; the prompt after the lone number is lost.
    rig.term.set_line_responder([&](const std::string& line, Millis) {
        if (line.find('=') != std::string::npos) rig.term.deliver("\r\n#");
    });
    rig.pump.post_at(rig.pump.now_ms() + 5000, [&] {
        int k = vk::kOem6;  // Ctrl+], the other stop key
        rig.keys().PDQComm1KeyDown(k, kCtrl);
        rig.term.deliver("\r\n#");
    });
    rig.type(vk::kReturn, kNone, '\r');
    EXPECT_EQ(rig.term.sent().rfind("100\r\x01", 0), 0u) << rig.term.sent();
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

// ---- the window's keys and the IME ------------------------------------------------------

TEST(Keyboard, ImeBoxOpensWhenComposingAndWritesOnEnter) {
    ConsoleRig rig;
    EXPECT_EQ(rig.type(vk::kProcessKey), 0);
    EXPECT_TRUE(rig.shell().ime_box_visible());
    EXPECT_EQ(rig.shell().focus(), Focus::Edit4);
    char c = 'x';
    rig.keys().Edit4KeyPress(c, "");
    EXPECT_EQ(c, 'x');  // ordinary characters go into the box
    c = '\r';
    rig.keys().Edit4KeyPress(c, "\x83\x65\x83\x58\x83\x67");
    EXPECT_EQ(c, 0);
    EXPECT_FALSE(rig.shell().ime_box_visible());
    EXPECT_EQ(rig.shell().focus(), Focus::Terminal);
    EXPECT_EQ(rig.ime_closes, 1);
    rig.type(vk::kProcessKey);
    c = '\x1b';  // Esc drops what was composed
    rig.keys().Edit4KeyPress(c, "abc");
    EXPECT_FALSE(rig.shell().ime_box_visible());
    EXPECT_EQ(rig.ime_closes, 2);
    EXPECT_EQ(rig.term.disp_all(), "\x83\x65\x83\x58\x83\x67");
    EXPECT_EQ(rig.term.sent(), "");

    ConsoleRig disabled;  // switched off: closed at once
    disabled.ime_enabled = "0";
    disabled.type(vk::kProcessKey);
    EXPECT_FALSE(disabled.shell().ime_box_visible());
    EXPECT_EQ(disabled.ime_closes, 1);
}

}  // namespace
}  // namespace qvt::test
