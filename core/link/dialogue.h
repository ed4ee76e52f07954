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
// Every loop that reads the controller is read_until: it feeds each received
// block to a scanner and stops on the scanner's verdict, on the abort flag
// the caller names (the progress dialog's Abort), or at a deadline. The
// prompt waits below, the transfers and the polls are scanners on it; none
// has a read loop of its own.
//
// Time limits are measured on the pump's clock: a limit of n ms has passed once
// n ms have elapsed (TWait_Prompt(2) gives up at exactly 2000 ms). The pauses
// (msDelay, sleep_ProcessMessages) are not waits for the controller and leave
// transfer_mode alone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/link/shared_state.h"
#include "core/platform/event_pump.h"
#include "core/platform/terminal_control.h"

namespace qvt::link {

// How a read_until ended.
enum class ReadEnd : std::uint8_t { Complete, Aborted, TimedOut };

struct ReadLimits {
    // On the pump's clock; reached means timed out (checked before each read,
    // so a reply that arrives by then counts). Negative: no limit. Read
    // afresh every round, so a scanner may move it (a limit that runs from
    // the last received byte).
    platform::Millis deadline_ms = -1;
    // Polled after every block and every pump; non-zero ends the read.
    const std::uint8_t* abort_flag = nullptr;
};

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
    // The same, ended early once *abort_flag is non-zero; false then. With
    // seen, the first bytes before the prompt (the echo) are kept there.
    bool Wait_Prompt(const std::uint8_t* abort_flag, std::string* seen = nullptr);
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

    // The one read loop: every received block goes to scan, which returns
    // true once the awaited reply is complete (the block that completes it
    // is scanned whole). Between reads it pumps events, and blocks in the
    // pump while the line is silent. A read failure of the control
    // propagates as TerminalError.
    ReadEnd read_until(const std::function<bool(std::string_view)>& scan,
                       const ReadLimits& limits = {});
    // read_until with one byte at a time.
    ReadEnd read_bytes_until(const std::function<bool(char)>& scan, const ReadLimits& limits = {});

    // The clock and timers of the waits, for a tool that polls the controller.
    platform::EventPump& pump() { return pump_; }

  private:
    SharedState& state_;
    platform::TerminalControl& term_;
    platform::EventPump& pump_;
};

}  // namespace qvt::link
