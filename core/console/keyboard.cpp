#include "core/console/keyboard.h"

#include "core/console/virtual_keys.h"

namespace qvt::console {

namespace {

constexpr platform::ShiftState kCtrl{false, true, false};
constexpr platform::ShiftState kShiftOnly{true, false, false};
constexpr platform::ShiftState kAltOnly{false, false, true};

bool is_arrow(int key) {
    return key >= vk::kLeft && key <= vk::kDown;
}

}  // namespace

Keyboard::Keyboard(MainShell& shell, Commands& commands, link::Dialogue& dialogue, Operations& ops,
                   platform::Clipboard& clipboard, const std::string& ime_enabled)
    : shell_(shell),
      commands_(commands),
      dialogue_(dialogue),
      ops_(ops),
      clipboard_(clipboard),
      ime_enabled_(ime_enabled),
      term_(shell.term()),
      state_(shell.state()) {}

// ---- the window's key preview -------------------------------------------------

void Keyboard::FormKeyDown(int& key, platform::ShiftState shift) {
    if (shift == kAltOnly && key == vk::F(4)) {
        key = vk::kNone;
        shell_.request_close();
        return;
    }
    if (shift == kAltOnly && (key == vk::kLeft || key == vk::kRight)) {
        if (ops_.desktop().OpenWindowSwitch(key == vk::kLeft)) key = vk::kNone;
        return;
    }
    if (state_.term_mode != 0) {
        if (key >= vk::kF1 && key <= vk::kF12) {
            shell_.dialogs().MessageBox(std::string(kCaption), std::string(kTermModeRefusal),
                                        platform::MsgIcon::None, platform::MsgButtons::Ok);
            key = vk::kNone;
        }
        // Whatever was focused, the running program's keys belong to the terminal.
        shell_.focus_terminal();
        return;
    }
    if (key == vk::kProcessKey) {
        key = vk::kNone;
        if (shell_.focus() == Focus::ListView1 || ime_enabled_ == "0") {
            shell_.close_input_method();
        } else if (!shell_.ime_box_visible()) {
            shell_.show_ime_box();
        }
    }
}

// ---- the terminal control's key events ----------------------------------------------

void Keyboard::PDQComm1KeyDown(int& key, platform::ShiftState shift) {
    if (!term_.PortOpen()) return;
    if (key == vk::kMenu && shift.alt) return;  // Alt must still reach the menu bar
    if (state_.term_mode == 0) {
        CommKeyDown(key, shift);
        key = vk::kNone;
        return;
    }
    if (shift != kCtrl) {
        if (key == vk::kTab) {
            term_.set_Output("\t");
        } else if (key == vk::kEscape) {
            term_.set_InBufferCount(0);
            pass_through_ = true;
        } else if (!is_arrow(key)) {
            pass_through_ = true;
        }
    } else if (key == 'A' || key == vk::kOem6) {
        term_.set_Output(std::string(1, '\x01'));
        pass_through_ = false;
        state_.echo_skip = 0;
    }
}

void Keyboard::PDQComm1KeyPress(char& key) {
    const char c = key;
    if (local_echo_) {
        // Codes 1 to 7 are control keys with no place on the screen.
        if (static_cast<unsigned char>(c) > 7) disp(std::string(1, c));
        local_echo_ = false;
        key = 0;
    }
    if (pass_through_) {
        if (key_released_) {
            key_released_ = false;
            term_.set_Output(std::string(1, c));
        }
        pass_through_ = false;
    }
}

void Keyboard::PDQComm1KeyUp(int& /*key*/, platform::ShiftState /*shift*/) {
    key_released_ = true;
}

void Keyboard::CommKeyDown(int& key, platform::ShiftState shift) {
    if (state_.transfer_mode != 0) {
        // An operation is waiting for the controller. Ctrl-A still goes out:
        // the controller answers it with a prompt, which ends any wait, so a
        // lost prompt never leaves the user without a way out.
        if (shift == kCtrl && (key == 'A' || key == vk::kOem6)) {
            term_.set_Output(std::string(1, '\x01'));
            key = vk::kNone;
        }
        return;
    }
    if (state_.term_mode != 0) {
        if (shift == kCtrl) {
            if (key == 'A' || key == vk::kOem6) {
                term_.set_Output(std::string(1, '\x01'));
                ops_.debug().DisableBreakPointButton();
                key = vk::kNone;
            }
        } else if (key != vk::kNone) {
            term_.set_Output(std::string(1, static_cast<char>(key)));
            key = vk::kNone;
        }
        return;
    }
    if (shift == kCtrl) {
        ctrl_table(key);
    } else if (shift == kShiftOnly) {
        shift_table(key);
    } else {
        plain_table(key);
    }
    key = vk::kNone;
}

// ---- Shift: selection --------------------------------------------------------------------

int Keyboard::linear(int column, int row) const {
    return (row - 1) * term_.Columns() + column;
}

void Keyboard::set_anchor_at_cursor() {
    anchor_column_ = term_.CursorColumn();
    anchor_row_ = term_.CursorRow();
}

void Keyboard::rule_l() {
    const int a = linear(anchor_column_, anchor_row_);
    const int c = linear(term_.CursorColumn(), term_.CursorRow());
    if (a - 1 < c) {
        term_.set_SelStart(a - 1);
        term_.set_SelLength(c - a + 2);
    } else {
        term_.set_SelStart(c);
        term_.set_SelLength(a - c + 1);
    }
}

void Keyboard::rule_u() {
    const int a = linear(anchor_column_, anchor_row_);
    const int c = linear(term_.CursorColumn(), term_.CursorRow());
    if (c == a - 1) return;
    if (c > a - 1) {
        term_.set_SelStart(a - 1);
        term_.set_SelLength(c - a + 1);
    } else {
        term_.set_SelStart(c);
        term_.set_SelLength(a - c + 1);
    }
}

void Keyboard::rule_r() {
    const int a = linear(anchor_column_, anchor_row_);
    const int c = linear(term_.CursorColumn(), term_.CursorRow());
    term_.set_SelStart(a - 1);
    term_.set_SelLength(c - a + 1);
}

void Keyboard::shift_table(int key) {
    switch (key) {
        case vk::kLeft:
            disp("\x1b[D");
            local_echo_ = true;
            rule_l();
            break;
        case vk::kUp:
            disp("\x1b[A");
            local_echo_ = true;
            rule_u();
            break;
        case vk::kRight:
            disp("\x1b[C");
            local_echo_ = true;
            rule_r();
            break;
        case vk::kDown:
            disp(term_.CursorRow() < term_.Rows() ? "\x1b[B" : "\n");
            local_echo_ = true;
            rule_r();
            break;
        case vk::kInsert:
            disp(clipboard_.text());
            set_anchor_at_cursor();
            local_echo_ = true;
            break;
        default:
            set_anchor_at_cursor();
            local_echo_ = true;
            break;
    }
}

// ---- the IME input box ------------------------------------------------------------------

void Keyboard::close_ime_box() {
    shell_.hide_ime_box();
    shell_.close_input_method();
}

void Keyboard::Edit4KeyPress(char& key, const std::string& box_text) {
    if (key == '\r') {
        disp(box_text);
        shell_.focus_terminal();
        key = 0;
        close_ime_box();
    } else if (key == '\x1b') {
        shell_.hide_ime_box();
        key = 0;
        shell_.focus_terminal();
        shell_.close_input_method();
    }
}

}  // namespace qvt::console
