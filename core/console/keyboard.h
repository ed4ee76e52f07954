// The keyboard of the terminal: the window's key preview, the terminal
// control's key events and the editing tables behind them, and the IME input
// box.
//
// How it works: the window sees every key first (FormKeyDown) for the keys
// that act anywhere: Alt+F4, the window switch, refusing function keys while a
// controller program runs, and the input method starting to compose. The
// terminal's key-down then either passes keys through (terminal mode: the key
// only arms a flag and the character event transmits the character) or hands
// them to CommKeyDown, whose three editing tables (Ctrl alone, Shift alone,
// anything else) edit the screen locally: printable keys arm the local echo so
// their character is written onto the screen, never sent; Enter sends the
// whole line under the cursor. In pass-through a character goes out only if a
// key release was seen since the last one, so auto-repeat of a held key sends
// one character.
//
// A Shift key that is not an arrow drops the selection anchor at the cursor;
// Shift+arrows move the cursor and set the selection between anchor and
// cursor, in linear cell positions ((row - 1) * Columns + column).
//
// Keys are virtual-key codes (core/console/virtual_keys.h); a handler sets the
// key to 0 to consume it. Modifier sets compare as a whole: Ctrl means Ctrl
// alone, Shift means Shift alone; every other set uses the plain table.
#pragma once

#include <string>

#include "core/console/commands.h"
#include "core/console/main_shell.h"
#include "core/console/operations.h"
#include "core/link/dialogue.h"
#include "core/platform/clipboard.h"

namespace qvt::console {

class Keyboard : public KeySink {
  public:
    Keyboard(MainShell& shell, Commands& commands, link::Dialogue& dialogue, Operations& ops,
             platform::Clipboard& clipboard, const std::string& ime_enabled);

    void FormKeyDown(int& key, platform::ShiftState shift);
    void PDQComm1KeyDown(int& key, platform::ShiftState shift);
    void PDQComm1KeyPress(char& key);
    void PDQComm1KeyUp(int& key, platform::ShiftState shift);
    void CommKeyDown(int& key, platform::ShiftState shift) override;
    // The IME box's character handler; box_text is what the box holds.
    void Edit4KeyPress(char& key, const std::string& box_text);

    bool local_echo() const { return local_echo_; }
    bool pass_through() const { return pass_through_; }
    bool key_released() const { return key_released_; }
    int anchor_column() const { return anchor_column_; }
    int anchor_row() const { return anchor_row_; }

  private:
    void ctrl_table(int key);
    void plain_table(int key);
    void shift_table(int key);
    bool gate() { return shell_.Func_Check(false); }
    void disp(const std::string& bytes) { term_.set_Disp(bytes); }
    void repeat_disp(const char* seq, int times);
    void set_anchor_at_cursor();
    int linear(int column, int row) const;
    void rule_l();
    void rule_u();
    void rule_r();
    void scroll_lines(platform::ScrollRequest dir, int times);
    void history_list_hot_key(ListId id);
    void close_ime_box();

    MainShell& shell_;
    Commands& commands_;
    link::Dialogue& dialogue_;
    Operations& ops_;
    platform::Clipboard& clipboard_;
    const std::string& ime_enabled_;
    platform::TerminalControl& term_;
    link::SharedState& state_;

    bool local_echo_ = false;
    bool pass_through_ = false;
    bool key_released_ = false;
    int anchor_column_ = 0;
    int anchor_row_ = 0;
};

}  // namespace qvt::console
