// The connection's lifecycle once the launcher has opened the port: the
// port-presence check, closing and reopening the port from the main window,
// the end of the program, and two version queries.
//
// How it works: a USB-serial adapter can be unplugged (or the simulator
// killed) at any moment, and the program then ends with one message. Two
// things notice it. The terminal control reports the failed read or write at
// once (PortFailed, fed from its error event); Timer3, a 500 ms timer owned
// here, looks every tick whether the port table still lists the port
// (CheckVCP for a port taken from the USB-RS list, where only the FTDI driver's
// "VCP" devices count; CheckVCP1 for a typed port, where any device counts).
// Whichever sees the port gone first stops Timer3, shows the message and ends
// the program; an `ending` flag keeps the other from showing a second message,
// also while the first message box is open and pumping events. A control error
// while the port is still listed (a driver hiccup, or the device node removed a
// moment after the error) leaves the window in the disconnected state with
// Timer3 running, so a vanishing port still ends the program within 500 ms.
// Nothing polls in between: the control stops signalling after its error and
// the timer sleeps in the pump.
//
// Disconnect closes the port on the user's request and parks the main window
// with its "ComPort Connect" button; the button reopens it with at most three
// attempts one second apart. Those pauses wait in the event pump (timers, keys
// and the presence check go on), and a reconnect abandons its attempts when
// the program is ending meanwhile.
//
// Ending the program: the main window's close handling saves the profile and
// the histories and then lets the launcher call forced_term, which on POSIX
// only has to leave the event loop (there is no process to kill).
//
// What the lifecycle does to windows goes through LifecycleView; the monitor
// program is reached through MonitorBridge, which without a monitor answers
// "no window".
#pragma once

#include <memory>
#include <string>

#include "core/link/dialogue.h"
#include "core/link/shared_state.h"
#include "core/platform/dialogs.h"
#include "core/platform/event_pump.h"
#include "core/platform/port_table.h"
#include "core/platform/terminal_control.h"

namespace qvt::link {

// The main window as the lifecycle sees it.
class LifecycleView {
  public:
    virtual ~LifecycleView() = default;
    // Every menu entry but Exit enabled or disabled (Exit stays enabled).
    virtual void all_menu_en_ds(bool enabled) = 0;
    // The tab pages (PageControl1).
    virtual void set_pages_enabled(bool on) = 0;

    // Button_Connect.
    virtual std::string connect_button_caption() const = 0;
    virtual void set_connect_button_caption(const std::string& caption) = 0;
    virtual void move_connect_button(int top, int left) = 0;
    virtual void set_connect_button_visible(bool on) = 0;
    virtual void set_connect_button_enabled(bool on) = 0;
    virtual void focus_connect_button() = 0;

    virtual void bring_main_window_to_front() = 0;
    // Ends the application: closes the main window, whose close handling saves
    // the profile and the histories and shows the launcher, which then calls
    // forced_term. Runs once per program.
    virtual void end_program() = 0;
    // forced_term's last step: leave the event loop.
    virtual void quit_application() = 0;
};

// A session without windows (benchmarks, tests): nothing to show or move.
class NoLifecycleView : public LifecycleView {
  public:
    void all_menu_en_ds(bool) override {}
    void set_pages_enabled(bool) override {}
    std::string connect_button_caption() const override { return {}; }
    void set_connect_button_caption(const std::string&) override {}
    void move_connect_button(int, int) override {}
    void set_connect_button_visible(bool) override {}
    void set_connect_button_enabled(bool) override {}
    void focus_connect_button() override {}
    void bring_main_window_to_front() override {}
    void end_program() override {}
    void quit_application() override {}
};

// The separate monitor program, which holds the port while it runs.
class MonitorBridge {
  public:
    virtual ~MonitorBridge() = default;
    // A top-level window titled "KVB Monitor" exists.
    virtual bool monitor_window_exists() = 0;
    // Makes the monitor reach the state `command` ("Start" or "Stop"); true when
    // its start/stop button was found.
    virtual bool SendMessageToMonitor(const std::string& command) = 0;
};

// No monitor program on this desktop.
class NoMonitor : public MonitorBridge {
  public:
    bool monitor_window_exists() override { return false; }
    bool SendMessageToMonitor(const std::string&) override { return false; }
};

inline constexpr platform::Millis kPresenceIntervalMs = 500;
inline constexpr const char* kConnectCaption = "ComPort Connect";
inline constexpr const char* kStopMonitorCaption = "Stop KVB Monitor";

// The version our built-in terminal control reports: a "3.30" control, so the
// launcher shows "COMCtrl:ENG(3.30.0)" and legacy_control is 0.
inline constexpr const char* kTerminalControlVersion = "3.30.1.19";
inline constexpr const char* kTerminalControlPath = "(built in)";

// The terminal control's file and version, as the launcher shows them.
void pdqcom_get_ver(std::string& path, std::string& version);

// The revision in a collected VER reply (dots already removed): the leading
// digits of the 10 characters after "REV-" (after the 3rd character when
// there is no "REV-"), leading blanks skipped; 0 when no digit follows.
int revision_of_reply(const std::string& collected);

class Lifecycle {
  public:
    Lifecycle(SharedState& state, platform::TerminalControl& term, platform::EventPump& pump,
              Dialogue& dialogue, platform::Dialogs& dialogs, const platform::PortTable& ports,
              LifecycleView& view);
    Lifecycle(const Lifecycle&) = delete;
    Lifecycle& operator=(const Lifecycle&) = delete;

    // Not owned; nullptr returns to "no monitor".
    void set_monitor(MonitorBridge* monitor) { monitor_ = monitor ? monitor : &no_monitor_; }

    // Timer3: started by the launcher after a successful open.
    void start_Timer3() { timer3_->start(kPresenceIntervalMs, true); }
    platform::Timer& Timer3() { return *timer3_; }
    void Timer3Timer();
    // True while the port is present; otherwise the program is ending.
    bool CheckVCP();
    bool CheckVCP1();

    // The terminal control's error event (CommEvent above 1000): the control
    // has closed the port already.
    void PortFailed(int comm_event);

    // Menu "&ComPort Disconnect" and Ctrl+D.
    void Disconnect1Click();
    // Button_Connect.
    void Button_ConnectClick();

    // The launcher's show handling once the main window has closed.
    void forced_term();
    // The program is ending (the port vanished); nothing more is shown.
    bool ending() const { return ending_; }

    // Asks the controller for "VER" and returns its revision (2.05 -> 205).
    // Waits for the prompt without limit; a control error propagates.
    int GetKVB68KVersion();

  private:
    bool check_presence(bool vcp_only);
    void end_with_message(const std::string& text);
    void park_main_window();

    SharedState& state_;
    platform::TerminalControl& term_;
    platform::EventPump& pump_;
    Dialogue& dialogue_;
    platform::Dialogs& dialogs_;
    const platform::PortTable& ports_;
    LifecycleView& view_;
    NoMonitor no_monitor_;
    MonitorBridge* monitor_ = &no_monitor_;
    std::unique_ptr<platform::Timer> timer3_;
    bool ending_ = false;
};

}  // namespace qvt::link
