#include <gtest/gtest.h>

#include "core/console/virtual_keys.h"
#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

namespace vk = console::vk;
using console::Focus;
using console::ListId;
using platform::ShiftState;

constexpr ShiftState kNone{};
constexpr ShiftState kCtrl{false, true, false};
constexpr ShiftState kAlt{false, false, true};

// The keyboard in terminal mode, the window's own keys and the IME.

// ---- pass-through ----------------------------------------------------------------------

TEST(Keyboard, PassThroughSendsOneCharacterPerKeyRelease) {
    ConsoleRig rig;
    rig.state.term_mode = 1;
    // Nothing was released since start: the first character is held back.
    int k = 'A';
    rig.keys().PDQComm1KeyDown(k, kNone);
    char c = 'a';
    rig.keys().PDQComm1KeyPress(c);
    EXPECT_EQ(rig.term.sent(), "");
    rig.keys().PDQComm1KeyUp(k, kNone);
    // A held key: two downs, two characters, one release at the end.
    for (int i = 0; i < 2; ++i) {
        k = 'B';
        rig.keys().PDQComm1KeyDown(k, kNone);
        c = 'b';
        rig.keys().PDQComm1KeyPress(c);
    }
    EXPECT_EQ(rig.term.sent(), "b");
    rig.keys().PDQComm1KeyUp(k, kNone);
    rig.type('C', kNone, 'c');
    EXPECT_EQ(rig.term.sent(), "bc");
    EXPECT_EQ(rig.row_text(1), "");  // nothing echoed locally
}

TEST(Keyboard, PassThroughTable) {
    struct Row {
        const char* name;
        int key;
        ShiftState shift;
        char ch;
        std::string sent;
    };
    const std::vector<Row> rows = {
        {"Tab sends 9 once", vk::kTab, kNone, '\t', "\t"},
        {"Esc via the character", vk::kEscape, kNone, '\x1b', "\x1b"},
        {"Enter", vk::kReturn, kNone, '\r', "\r"},
        {"Ctrl+A stops", 'A', kCtrl, '\x01', "\x01"},
        {"Ctrl+] stops", vk::kOem6, kCtrl, '\x1d', "\x01"},
        {"other Ctrl key", 'X', kCtrl, '\x18', ""},
        {"arrow left to the control", vk::kLeft, kNone, 0, ""},
    };
    for (const auto& r : rows) {
        ConsoleRig rig;
        rig.state.term_mode = 1;
        rig.state.echo_skip = 1;
        int up = 0;
        rig.keys().PDQComm1KeyUp(up, kNone);
        rig.term.set_RThreshold(0);
        rig.term.deliver("old");
        rig.pump.process_pending();
        rig.type(r.key, r.shift, r.ch);
        EXPECT_EQ(rig.term.sent(), r.sent) << r.name;
        EXPECT_FALSE(rig.keys().pass_through()) << r.name;
        if (r.key == vk::kEscape) {
            EXPECT_EQ(rig.term.InBufferCount(), 0);
        }
        if (r.shift == kCtrl && !r.sent.empty()) {
            EXPECT_EQ(rig.state.echo_skip, 0);
        }
    }
}

TEST(Keyboard, FunctionKeysAreRefusedInTerminalMode) {
    ConsoleRig rig;
    rig.state.term_mode = 1;
    rig.shell().list(ListId::ListBox1).set_items({"x"});
    rig.shell().set_focus(Focus::Other);
    EXPECT_EQ(rig.type(vk::F(4)), 0);
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Terminal Mode)");
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.shell().focus(), Focus::Terminal);
}

TEST(Keyboard, NothingButCtrlAHappensWithThePortClosedOrDuringAWait) {
    ConsoleRig rig;
    rig.term.set_PortOpen(false);
    EXPECT_EQ(rig.type(vk::kHome), vk::kHome);  // not consumed
    ConsoleRig busy;
    busy.state.transfer_mode = 1;
    int key = vk::kReturn;
    busy.keys().CommKeyDown(key, kNone);
    EXPECT_EQ(key, vk::kReturn);
    EXPECT_EQ(busy.term.sent(), "");
    // Ctrl-A still reaches the controller, whose prompt ends any wait.
    for (int stop : {int{'A'}, vk::kOem6}) {
        key = stop;
        busy.keys().CommKeyDown(key, kCtrl);
        EXPECT_EQ(key, vk::kNone);
    }
    EXPECT_EQ(busy.term.sent(), "\x01\x01");
}

// A lost prompt after a typed program line: Ctrl-A typed meanwhile brings the
// prompt that ends the wait.
TEST(Keyboard, CtrlAEndsAWaitForALostPrompt) {
    ConsoleRig rig;
    rig.screen("100 A=1", 1, 8);
    // The full line is answered; the prompt after the lone number is lost.
    rig.term.set_line_responder([&](const std::string& line, Millis) {
        if (line.find('=') != std::string::npos) rig.term.deliver("\r\n#");
    });
    rig.pump.post_at(rig.pump.now_ms() + 5000, [&] {
        int k = 'A';
        rig.keys().PDQComm1KeyDown(k, kCtrl);
        rig.term.deliver("\r\n#");
    });
    rig.type(vk::kReturn, kNone, '\r');
    EXPECT_EQ(rig.term.sent().rfind("100\r\x01", 0), 0u) << rig.term.sent();
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

TEST(Keyboard, CommKeyDownInTerminalModeTransmitsTheKeyCode) {
    ConsoleRig rig;
    rig.state.term_mode = 1;
    int key = vk::kReturn;
    rig.keys().CommKeyDown(key, kNone);
    key = 'A';
    rig.keys().CommKeyDown(key, kCtrl);
    EXPECT_EQ(rig.term.sent(), "\r\x01");
    EXPECT_EQ(rig.ops.calls, std::vector<std::string>{"DisableBreakPointButton"});
}

// ---- the window's keys and the IME ------------------------------------------------------

TEST(Keyboard, WindowKeys) {
    ConsoleRig rig;
    int closes = 0;
    rig.shell().hooks.close_window = [&] { ++closes; };
    EXPECT_EQ(rig.type(vk::F(4), kAlt), 0);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.type(vk::kLeft, kAlt), 0);
    rig.ops.window_switch_opens = false;
    int key = vk::kRight;
    rig.keys().FormKeyDown(key, kAlt);
    EXPECT_EQ(key, vk::kRight);
    EXPECT_EQ(rig.ops.calls,
              (std::vector<std::string>{"OpenWindowSwitch(last)", "OpenWindowSwitch(second)"}));
}

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
    EXPECT_EQ(rig.ime.closes, 1);
    EXPECT_EQ(rig.term.disp_all(), "\x83\x65\x83\x58\x83\x67");
    EXPECT_EQ(rig.term.sent(), "");

    rig.type(vk::kProcessKey);
    c = '\x1b';
    rig.keys().Edit4KeyPress(c, "abc");
    EXPECT_FALSE(rig.shell().ime_box_visible());
    EXPECT_EQ(rig.ime.closes, 2);
    EXPECT_EQ(rig.term.disp_all(), "\x83\x65\x83\x58\x83\x67");
}

TEST(Keyboard, ImeIsClosedWhenDisabledOrOnTheLabelList) {
    ConsoleRig rig;
    rig.ime_enabled = "0";
    rig.type(vk::kProcessKey);
    EXPECT_FALSE(rig.shell().ime_box_visible());
    EXPECT_EQ(rig.ime.closes, 1);

    ConsoleRig labels;
    labels.shell().set_focus(Focus::ListView1);
    int key = vk::kProcessKey;
    labels.keys().FormKeyDown(key, kNone);
    EXPECT_EQ(key, 0);
    EXPECT_FALSE(labels.shell().ime_box_visible());
    EXPECT_EQ(labels.ime.closes, 1);
}

}  // namespace
}  // namespace qvt::test
