// Opening the controller's port the way the terminal expects it.
//
// How it works: the serial side is set for the controller's interpreter (8N1
// at the chosen baud rate, no handshake, RTS off, one receive event per
// arrival, every waiting byte per read); the first open of a run also sets up
// the display (150 columns by 200 rows, block cursor, font size 12). Then the
// port is opened; a failure throws platform::TerminalError with the reason.
#pragma once

#include <string>

#include "core/link/shared_state.h"
#include "core/platform/terminal_control.h"

namespace qvt::gui {

struct PortChoice {
    int com = 0;         // COM number, used when device is empty
    std::string device;  // explicit device path (e.g. /dev/pts/3)
    int baud = 38400;
};

void open_controller_port(platform::TerminalControl& term, link::SharedState& state,
                          const PortChoice& choice);

}  // namespace qvt::gui
