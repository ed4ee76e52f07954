// The controller link of one test, wired as the program wires it: a virtual
// pump, the shared state, the fake terminal control (port open), the dialogue
// and scripted dialogs; on request the simulated controller, which answers as
// the pump runs (otherwise the test scripts arrivals), and the receive handler.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/link/dialogue.h"
#include "core/link/receive.h"
#include "core/link/shared_state.h"
#include "sim/controller.h"
#include "tests/support/fake_terminal_control.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/virtual_event_pump.h"

namespace qvt::test {

// Receive hooks that record what the receive handler asked for.
class RecordingReceiveHooks : public link::ReceiveHooks {
  public:
    void termmode_menu_enable() override { ++menu_enables; }
    void show_rx_chunk(int) override {}
    bool break_point_window_visible() override { return window_visible; }
    void close_break_point_window() override {
        ++window_closes;
        window_visible = false;
    }
    void Break_Point_Set_Controls() override { ++set_controls; }
    void Break_Point(int arg) override {
        break_point_args.push_back(arg);
        window_visible = true;
    }
    void set_break_checkbox(bool ticked) override { break_ticked = ticked; }

    int menu_enables = 0;
    bool window_visible = false;
    int window_closes = 0;
    int set_controls = 0;
    std::vector<int> break_point_args;
    bool break_ticked = false;
};

class LinkRig {
  public:
    LinkRig();

    // Connects a simulated controller to the line (replacing any earlier one).
    kvb::sim::Controller& attach_sim(kvb::sim::Options options = {});
    // Installs the receive handler on OnComm with RThreshold 1, as the main
    // window does once connected.
    link::ReceiveProcessor& attach_receive();

    VirtualEventPump pump;
    link::SharedState state;
    FakeTerminalControl term{pump};
    link::Dialogue dialogue{state, term, pump};
    ScriptedDialogs dialogs;
    RecordingReceiveHooks receive_hooks;
    std::unique_ptr<kvb::sim::Controller> sim;
    std::unique_ptr<link::ReceiveProcessor> receive;
};

}  // namespace qvt::test
