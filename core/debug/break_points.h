// The break-point window: a table of up to eight break points of the
// controller's program, set on the controller and read back from it, and the
// buttons that continue or trace a program stopped at a break point.
//
// How it works: BreakPoints is the window's model and its handlers; a Qt
// window renders it (on_change says what changed) and forwards clicks, keys,
// activation and the close request. The controller is the authority: every
// change ("Set", "C", "Reset") clears the controller's list with "BKP 0",
// sends the table's rows one by one with "BKP n", and then reads the list
// back ("get current"), so a row on white is one the controller holds and a
// grey row one it has not confirmed.
//
// Reading the list is "BKP" and its reply up to the first "#", through the
// dialogue's read loop with BkpReply as the scanner, within two seconds. A
// program that prints while the list is read mixes its text into the reply,
// so the list is read twice and the two replies must agree; after six pairs
// that disagree the user is told that program output is in the way.
//
// The receive processing drives the rest: on the break prompt "#?" it opens
// the window and ticks "Break" (which enables "Cont" and "Trace" and refuses
// the close), on any other text it unticks it, and on a received Ctrl-C (the
// controller's "the break is over") it hides the window. Hiding is not
// closing: only the user's close is refused at the break prompt.
//
// Messages go to the user as message boxes with the caption "QVTW"; after
// each the terminal takes the focus, as after every operation here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/console/commands.h"
#include "core/debug/context.h"

namespace qvt::debug {

inline constexpr int kBreakRows = 8;

inline constexpr const char* kBpCaption = "QVTW";
inline constexpr const char* kNoCurrentAtShow =
    "Can not Get Current BKP.\r\nIs the KVB stopping at a BKP?\r\nIs the QTVW connecting with "
    "the KVB?";
inline constexpr const char* kNoCurrent =
    "Can not Get Current BKP (0)\r\nIs the KVB stopping at a BKP?\r\nIs the QTVW connecting with "
    "the KVB?";
inline constexpr const char* kRepliesDisagree =
    "Can not Get Current BKP (1)\r\nIs there PRINT command output in the KVB program?";
inline constexpr const char* kCannotSet =
    "Can not Set BKP\r\nIs the KVB stopping at a BKP?\r\nIs the QTVW connecting with the KVB?";
inline constexpr const char* kCannotReset =
    "Can not Reset BKP\r\nIs the KVB stopping at a BKP?\r\nIs the QTVW connecting with the KVB?";
inline constexpr const char* kHint = "[Esc] Cancel [F8] Back";
inline constexpr const char* kCloseRefused = "Can't close the window while break stop";

// Collects the reply to "BKP": everything up to the first "#", without "?".
class BkpReply {
  public:
    // True once the "#" has arrived.
    bool feed(char c);
    const std::string& text() const { return text_; }

  private:
    std::string text_;
    bool done_ = false;
};

// The row a reply line fills: the six characters after the line's first "="
// when the line holds "POINT"; empty when it does not.
std::string row_of_reply_line(std::string_view line);

struct BreakRow {
    std::string text;
    bool confirmed = false;  // white; grey otherwise
};

enum class BpChange : std::uint8_t { Visible, Rows, Memo, Status, Controls, Focus };
enum class BpFocus : std::uint8_t { None, Set, Cont, Terminal };

class BreakPoints {
  public:
    explicit BreakPoints(const DebugDeps& deps);

    std::function<void(BpChange)> on_change;
    // Closes the variable watch's window when it is visible.
    std::function<void()> close_watch_window;
    // The terminal's Enter, for "L".
    console::KeySink* keys = nullptr;

    // ---- the core module's operations ---------------------------------------
    // Shows the window on top of the others (the argument is not used).
    void Break_Point();
    void hide();
    // "BKP" and its reply, trimmed; false (and empty) when none came in time.
    bool get_current_break_point(std::string& out);
    void Break_Point_Set_Controls();
    // The receive processing's tick of "Break"; cheap when it is unchanged.
    void set_break_checkbox(bool ticked);
    // A stop from the keyboard leaves nothing to continue.
    void disable_cont();

    // ---- window events ---------------------------------------------------------
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    // Esc, "Cancel" and the window's close box; true when the window closed.
    bool request_close();
    void set_row_text(int row, const std::string& text);  // rows 0..7
    void Button10Click();                                 // "Set", Enter
    void clear_row(int row);                              // "C"
    void list_row(int row);                               // "L"
    void Button3Click();                                  // "Reset"
    void Button7Click() { go_on("n\r"); }                 // "Cont (N Ent)"
    void Button15Click() { go_on("t\r"); }                // "Trace (T Ent)"
    // F8, or a click on the background: back to the terminal.
    void focus_terminal();

    // ---- what the window shows ---------------------------------------------------
    bool visible() const { return visible_; }
    const std::array<BreakRow, kBreakRows>& rows() const { return rows_; }
    const std::string& memo() const { return memo_; }
    const std::string& status() const { return status_; }
    bool break_ticked() const { return break_ticked_; }
    bool cont_enabled() const { return cont_enabled_; }
    bool trace_enabled() const { return trace_enabled_; }
    bool cancel_enabled() const { return cancel_enabled_; }
    bool table_enabled() const { return table_enabled_; }
    bool bkp_group_enabled() const { return bkp_enabled_; }
    BpFocus focus() const { return focus_; }

  private:
    void notify(BpChange what) {
        if (on_change) on_change(what);
    }
    void get_current();
    void add_from_cursor_line();
    // Sends "BKP <row>" for the row and waits for the prompt; false when the
    // row is empty.
    bool send_row(const BreakRow& row);
    void go_on(const char* answer);
    void message(const char* text);
    void set_status(std::string text);
    void tick(bool ticked);
    void set_focus(BpFocus place);
    void grey_all();

    DebugDeps d_;
    bool visible_ = false;
    std::array<BreakRow, kBreakRows> rows_{};
    std::string memo_;
    std::string status_;
    bool break_ticked_ = false;
    bool cont_enabled_ = false;
    bool trace_enabled_ = false;
    bool cancel_enabled_ = true;
    bool table_enabled_ = true;
    bool bkp_enabled_ = true;
    BpFocus focus_ = BpFocus::None;
    bool refusing_ = false;
    std::function<void()> controls_changed_;
};

}  // namespace qvt::debug
