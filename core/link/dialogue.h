// The controller dialogue primitives: send a command line, wait for the
// transmit buffer to drain, wait for the prompt, read a screen row, clear the
// screen, pause.
//
// How it works: the controller is ready for the next command when it prints
// "#" as the first character of a line (directly after CR or LF). Each wait
// takes transfer_mode (so the receive handler leaves the bytes alone), reads
// the terminal control's Input, scans it byte by byte, and when nothing has
// arrived blocks in the event pump until the next event (data, timer, key) or
// its deadline. Windows, timers and keys therefore keep working during a wait,
// the CPU stays idle while the line is silent, and the prompt is recognised in
// the read that brings it. An error of the control (port closed, device gone)
// ends the wait and propagates as TerminalError, with transfer_mode given back.
//
// Time limits are measured on the pump's clock: a limit of n ms has passed once
// n ms have elapsed (TWait_Prompt(2) gives up at exactly 2000 ms). The pauses
// (msDelay, sleep_ProcessMessages) are not waits for the controller and leave
// transfer_mode alone.
#pragma once

#include <string>

#include "core/link/shared_state.h"
#include "core/platform/event_pump.h"
#include "core/platform/terminal_control.h"

namespace qvt::link {

class Dialogue {
  public:
    Dialogue(SharedState& state, platform::TerminalControl& term, platform::EventPump& pump);

    // Sends line + CR and collects the reply up to the prompt (echo dropped,
    // lines joined with CR LF, prompt excluded). No time limit.
    void CommOut(const std::string& line, std::string& reply);
    // Waits until the transmit buffer has drained. No time limit.
    void CommOutBufferWiatZero();
    // Waits for "#" after CR or LF; what arrives is discarded. No time limit.
    void Wait_Prompt();
    // Waits for "#" or ">" after CR or LF and shows what arrived after the
    // echo. No time limit.
    void Wait_Prompt1();
    // Waits at most seconds for the prompt; false on time-out, also when the
    // prompt came in the read that crossed the limit. A read failure returns
    // false with transfer_mode cleared.
    bool TWait_Prompt(int seconds);
    // The text of screen row (1-based), without its line break.
    void GetLineStr(int row, std::string& out);
    void ScreenCls();
    void msDelay(int ms);
    void sleep_ProcessMessages(int ms);

  private:
    void pump_events(bool read_was_empty, platform::Millis deadline_ms);
    // Reads and scans every received byte with scan until it has reported the
    // end; the rest of the read that brings the end is still scanned.
    template <typename Scan>
    void read_until_done(Scan scan);

    SharedState& state_;
    platform::TerminalControl& term_;
    platform::EventPump& pump_;
};

}  // namespace qvt::link
