#include "gui/connection.h"

#include "gui/qt_terminal_control.h"

namespace qvt::gui {

void open_controller_port(platform::TerminalControl& term, link::SharedState& state,
                          const PortChoice& choice) {
    const std::string baud = std::to_string(choice.baud);
    state.baud_rate = baud;
    term.set_Settings(baud + ",n,8,1");
    term.set_Handshaking(0);
    term.set_RTSEnable(false);
    term.set_InputLen(0);
    term.set_InTimeout(0);
    term.set_RThreshold(1);
    term.set_SThreshold(0);
    if (state.connect_count == 0) {
        term.set_Columns(150);
        term.set_Rows(200);
        term.set_CursorType(0);
        term.set_Font("MS Gothic", 12);
        term.set_CursorType(1);
        term.set_Emulation(0);
        term.set_InBufferSize(8192);
        term.set_Emulation(4);
    }
    ++state.connect_count;
    if (auto* qt = dynamic_cast<QtTerminalControl*>(&term)) qt->set_Device(choice.device);
    term.set_CommPort(choice.com);
    term.set_PortOpen(true);
    state.com_port = choice.device.empty() ? std::to_string(choice.com) : std::string();
}

}  // namespace qvt::gui
