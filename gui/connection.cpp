#include "gui/connection.h"

#include "core/startup/launcher.h"
#include "gui/qt_terminal_control.h"

namespace qvt::gui {

void open_controller_port(platform::TerminalControl& term, link::SharedState& state,
                          const PortChoice& choice) {
    startup::prepare_port(term, state, choice.com, choice.baud);
    if (auto* qt = dynamic_cast<QtTerminalControl*>(&term)) qt->set_Device(choice.device);
    term.set_PortOpen(true);
    state.com_port = choice.device.empty() ? std::to_string(choice.com) : std::string();
}

}  // namespace qvt::gui
