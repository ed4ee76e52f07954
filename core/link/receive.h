// The main window's receive handler: what the controller sends while no
// operation owns the line.
//
// How it works: the terminal control raises its receive event for every
// arrival; PDQComm1Comm() takes everything waiting (unless transfer_mode says
// an operation reads the line itself, or the event is an error), walks the
// bytes once and builds the text to show, then writes that text to the screen
// in one Disp call. On the way it follows the controller's state from the text:
//   - "#" at a line start (after CR, LF or an escape sequence) is the prompt:
//     terminal mode ends and the window returns to its ready state;
//   - "#?" is the break prompt: the controller stopped at a break point; the
//     break-point window opens and the prompt is redrawn in reverse video at
//     the start of the line;
//   - a received Ctrl-C means the program left the break point;
//   - in a numbered program line an apostrophe outside quotes starts a comment
//     and is pushed to screen column 40, so listings line their comments up
//     (columns as shown: a TAB, as between line number and statement,
//     reaches the next multiple of 8);
//   - the echo of a typed line is hidden up to its CR (echo_skip);
//   - the first visible character of a line is preceded by erase-to-end-of-
//     line, because the screen may hold an older line there (screen editing).
// The parser state survives across events (a prompt may arrive split over two
// reads) and is never reset, not even by a reconnect.
//
// Everything the handler does outside the link (menus, the break-point window,
// the status bar) goes through ReceiveHooks, which the main window implements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/link/shared_state.h"
#include "core/platform/terminal_control.h"

namespace qvt::link {

// What the receive handler asks of the windows around it.
class ReceiveHooks {
  public:
    virtual ~ReceiveHooks() = default;
    // The main window's ready state (menus enabled, lime lamp).
    virtual void termmode_menu_enable() = 0;
    // Main status panel 2 shows the largest chunk taken in one read.
    virtual void show_rx_chunk(int n) = 0;
    virtual bool break_point_window_visible() = 0;
    virtual void close_break_point_window() = 0;
    virtual void Break_Point_Set_Controls() = 0;
    virtual void Break_Point(int arg) = 0;
    // The break-point window's "Break" check box (CheckBox1). Called for nearly
    // every received byte, so it must be cheap and do nothing when the box
    // already shows that state.
    virtual void set_break_checkbox(bool ticked) = 0;
};

// Hooks that do nothing: for a link without windows around it.
class NullReceiveHooks : public ReceiveHooks {
  public:
    void termmode_menu_enable() override {}
    void show_rx_chunk(int) override {}
    bool break_point_window_visible() override { return false; }
    void close_break_point_window() override {}
    void Break_Point_Set_Controls() override {}
    void Break_Point(int) override {}
    void set_break_checkbox(bool) override {}
};

// Parser state kept across receive events. Flags are bytes holding 0 or 1.
struct ReceiveParserState {
    std::uint8_t rx_after_lf = 0;           // set by LF; cleared by all but "#", "?", Ctrl-C
    std::uint8_t rx_after_cr = 0;           // set by CR; cleared by all but "#", "?", Ctrl-C
    std::uint8_t rx_after_esc = 0;          // set by ESC; cleared by LF and CR
    int rx_column = 0;                      // screen columns used since the last LF
    std::uint8_t rx_numbered_line = 0;      // the current line starts with a digit
    std::uint8_t rx_in_quotes = 0;          // inside "..." on the current line
    std::uint8_t rx_prompt_seen = 0;        // the previous byte was "#"
    std::uint8_t first_prompt_pending = 1;  // no prompt at line start seen yet
};

class ReceiveProcessor {
  public:
    ReceiveProcessor(SharedState& state, platform::TerminalControl& term, ReceiveHooks& hooks);

    // The terminal control's receive-event handler.
    void PDQComm1Comm();

    // The work of one event on bytes already taken from the control: updates
    // max_rx_chunk, the parser and the shared flags, calls the hooks, and
    // returns the text to show. PDQComm1Comm() is Input() + this + Disp.
    std::string process_received(std::string_view bytes);

    const ReceiveParserState& parser() const { return parser_; }
    ReceiveParserState& parser() { return parser_; }

  private:
    void leave_break_prompt();

    SharedState& state_;
    platform::TerminalControl& term_;
    ReceiveHooks& hooks_;
    ReceiveParserState parser_;
};

}  // namespace qvt::link
