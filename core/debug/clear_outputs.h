// The "CLR_OUTP" dialog: which output areas to switch off, and the command
// that does it.
//
// How it works: the four boxes live here, not in the window, so they keep
// their state from one opening to the next (all ticked when the program
// starts; nothing is written to the profile). The window is a view: it shows
// the boxes and the status text, reports clicks through set_box(), and runs
// modally through show_modal, which the front end sets and which returns
// true for OK. clr_outp() opens it and, on OK only, sends the command without
// waiting: the controller's answer reaches the screen through the receive
// handler like any typed command's.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "core/platform/terminal_control.h"

namespace qvt::debug {

// The output areas in mask-bit order: real outputs, CUnet, MBK, memory IO.
inline constexpr int kOutputAreas = 4;

class ClearOutputs {
  public:
    explicit ClearOutputs(platform::TerminalControl& term);

    // Shows the dialog; on OK sends "CLR_OUTP &Hxx" and a carriage return.
    void clr_outp();

    // The view's events.
    void FormActivate() { createset_param(); }
    void set_box(int area, bool ticked);
    void Button1Click() { createset_param(); }

    bool box(int area) const { return boxes_.at(static_cast<std::size_t>(area)); }
    int mask() const { return mask_; }
    // "CLR_OUTP &H0F": the status panel's text, and the command OK sends.
    const std::string& command() const { return command_; }

    // Runs the window modally; true when it closed with OK. Unset: nothing
    // is shown and nothing sent.
    std::function<bool()> show_modal;
    // The boxes or the status text changed.
    std::function<void()> on_change;

  private:
    void createset_param();

    platform::TerminalControl& term_;
    std::array<bool, kOutputAreas> boxes_{true, true, true, true};
    int mask_ = 0;
    std::string command_;
};

}  // namespace qvt::debug
