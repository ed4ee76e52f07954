// The state through which the terminal, the receive handler, the transfers and
// the debug tools keep out of each other's way. One instance lives as long as
// the program; every field has exactly one meaning throughout the system.
// Flags are bytes holding 0 or 1.
#pragma once

#include <cstdint>
#include <string>

namespace qvt::link {

struct SharedState {
    // A running operation reads Input itself; the receive handler ignores
    // receive events; menu operations refuse ("Transfer Mode").
    std::uint8_t transfer_mode = 0;
    // A controller program owns the terminal: keys pass through one by one;
    // menu operations refuse ("Terminal Mode").
    std::uint8_t term_mode = 0;
    // term_mode as it was when the last prompt arrived at line start outside a
    // break; read by the break-point window.
    std::uint8_t term_mode_at_prompt = 0;
    // The variable watch is polling; menu operations refuse ("Watch Mode").
    std::uint8_t watch_mode = 0;
    // The controller waits at a break point (the "#?" prompt).
    std::uint8_t bp_mode = 0;
    // A break prompt was seen since the last RUN.
    std::uint8_t bp_hit = 0;
    // A received Ctrl-C does not close the break-point window.
    std::uint8_t bp_keep_window = 0;
    // Asks the running transfer to stop.
    std::uint8_t abort_request = 0;
    // Received bytes are not shown until the next CR (the echo of a typed line).
    std::uint8_t echo_skip = 0;
    // Largest number of bytes taken in one read; shown in main status panel 2.
    std::uint16_t max_rx_chunk = 0;
    // Number of the open COM port as text ("5"); set after a successful open.
    std::string com_port;
    // "38400" or "115200".
    std::string baud_rate;
    // The port came from the USB-RS list; selects the presence check.
    std::uint8_t port_is_vcp = 0;
    // Number of open attempts; the display is set up only at 0.
    int connect_count = 0;
    // The terminal control is not a "3.30" version (affects ScreenCls).
    std::uint8_t legacy_control = 0;
    // The file name is already chosen; no file dialog is shown.
    std::uint8_t file_preselected = 0;
    // Selects the editor and monitor variants.
    std::uint8_t english_edition = 0;
    // An operation owns the line (a transfer from its file dialog to its
    // result box, a typed line waiting for its prompt); requests from other
    // programs wait until it is over.
    std::uint8_t operation_running = 0;
};

// Sets a flag for the lifetime of the guard and gives the saved value back on
// every way out, exceptions included.
class FlagGuard {
  public:
    explicit FlagGuard(std::uint8_t& flag) : flag_(flag), saved_(flag) { flag_ = 1; }
    ~FlagGuard() { flag_ = saved_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    std::uint8_t& flag_;
    std::uint8_t saved_;
};

// Takes transfer_mode: the receive handler leaves the received bytes alone.
class TransferModeGuard : public FlagGuard {
  public:
    explicit TransferModeGuard(SharedState& state) : FlagGuard(state.transfer_mode) {}
};

// Marks an operation running for the guard's lifetime.
class OperationGuard : public FlagGuard {
  public:
    explicit OperationGuard(SharedState& state) : FlagGuard(state.operation_running) {}
};

}  // namespace qvt::link
