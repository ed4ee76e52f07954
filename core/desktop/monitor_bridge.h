// The bridge to the monitor program: a separate desktop program, delivered
// beside this one, that watches the controller through the same serial port.
//
// How it works: only one program can hold the port, so "&KVB Monitor" starts
// the monitor (unless its window, titled "KVB Monitor", is there already),
// lets go of the port and parks the main window with one "Stop KVB Monitor"
// button, then presses the monitor's Start button. The two programs meet
// only at the monitor's window: its start/stop button is found among the
// window's controls (a button whose text contains "Start" or "Stop") and
// clicked through the desktop's accessibility interface. Pressing "Stop KVB
// Monitor" is the lifecycle's reconnect, which asks the monitor to stop
// through SendMessageToMonitor before it opens the port again.
//
// The monitor's window and its button are awaited in the event pump, a tenth
// of a second at a time. A monitor that ends or shows no window within the
// time-out, or whose button cannot be reached, leaves the terminal holding its
// port, with a message: a port let go to a monitor that cannot be pressed
// could not be had back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/link/lifecycle.h"
#include "core/link/shared_state.h"
#include "core/platform/dialogs.h"
#include "core/platform/event_pump.h"
#include "core/platform/processes.h"
#include "core/platform/terminal_control.h"
#include "core/platform/windows.h"

namespace qvt::desktop {

inline constexpr const char* kMonitorTitle = "KVB Monitor";
inline constexpr platform::Millis kMonitorFirstWaitMs = 1000;
inline constexpr platform::Millis kMonitorWindowTimeoutMs = 20000;

struct MonitorDeps {
    link::SharedState& state;
    platform::TerminalControl& term;
    platform::EventPump& pump;
    platform::Dialogs& dialogs;
    link::LifecycleView& view;
    platform::Processes* processes;
    platform::WindowControls* controls;
    std::string program_folder;
};

// The monitor's executable (without ".exe") and its arguments.
std::string monitor_executable(const std::string& program_folder, bool english_edition);
std::vector<std::string> monitor_arguments(const std::string& com_port,
                                           const std::string& baud_rate);

class MonitorBridge final : public link::MonitorBridge {
  public:
    explicit MonitorBridge(const MonitorDeps& deps) : d_(deps) {}

    // The menu entry "&KVB Monitor".
    void KVBMonitor1Click();

    bool monitor_window_exists() override;
    bool SendMessageToMonitor(const std::string& command) override;

  private:
    bool start_monitor();
    std::optional<platform::ChildControl> find_button();
    void let_go_of_port();
    void stop_message(const std::string& text);

    MonitorDeps d_;
};

}  // namespace qvt::desktop
