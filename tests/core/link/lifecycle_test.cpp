#include "core/link/lifecycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "tests/core/link/table_ports.h"
#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

using platform::NamedPort;

// Records what the lifecycle does to the windows, one word per call.
class RecordingView : public link::LifecycleView {
  public:
    void all_menu_en_ds(bool on) override { log(on ? "menus+" : "menus-"); }
    void set_pages_enabled(bool on) override { log(on ? "pages+" : "pages-"); }
    std::string connect_button_caption() const override { return caption; }
    void set_connect_button_caption(const std::string& text) override {
        caption = text;
        log("caption");
    }
    void move_connect_button(int top, int left) override {
        log("move" + std::to_string(top) + "," + std::to_string(left));
    }
    void set_connect_button_visible(bool on) override {
        button_visible = on;
        log(on ? "show" : "hide");
    }
    void set_connect_button_enabled(bool on) override {
        button_enabled = on;
        log(on ? "button+" : "button-");
    }
    void focus_connect_button() override { log("focus"); }
    void bring_main_window_to_front() override { log("front"); }
    void end_program() override { log("end"); }
    void quit_application() override { log("quit"); }

    void log(const std::string& what) { calls.push_back(what); }
    long count(const std::string& what) const {
        return std::count(calls.begin(), calls.end(), what);
    }

    std::vector<std::string> calls;
    std::string caption = "ComPort Connect";
    bool button_visible = false;
    bool button_enabled = true;
};

class ScriptedMonitor : public link::MonitorBridge {
  public:
    bool monitor_window_exists() override { return exists; }
    bool SendMessageToMonitor(const std::string& command) override {
        commands.push_back(command);
        return answers;
    }
    bool exists = true;
    bool answers = true;
    std::vector<std::string> commands;
};

// A connected link: COM5 open, listed as an FTDI port beside another adapter.
struct LifecycleRig {
    LifecycleRig() {
        ports.serial = {{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM12"}};
        rig.state.com_port = "5";
        rig.state.port_is_vcp = 1;
        rig.term.set_Enabled(true);
    }
    void unplug(const std::string& port) {
        std::erase_if(ports.serial, [&](const NamedPort& p) { return p.port == port; });
    }

    LinkRig rig;
    TablePorts ports;
    RecordingView view;
    link::Lifecycle life{rig.state, rig.term, rig.pump, rig.dialogue, rig.dialogs, ports, view};
};

// ---- presence check ----------------------------------------------------------------

TEST(Presence, EndsTheProgramWhenThePortVanishes) {
    const std::string vcp_gone =
        "COM 5 port has disconnected. (VCP's disappearance)\r\nQVTW is closed.";
    struct Case {
        std::uint8_t port_is_vcp;
        std::vector<NamedPort> table_after;  // from t = 1200 on
        std::string message;                 // empty: the port is still there
    };
    for (const Case& c : std::vector<Case>{
             {1, {{"\\Device\\VCP0", "COM5"}}, ""},  // the other adapter unplugged
             {1, {{"\\Device\\vcp0", "COM5"}}, ""},  // the kind's case is ignored
             {1, {{"\\Device\\VCP0", "COM15"}}, vcp_gone},
             // From the USB-RS list only FTDI ports count, even when the number stays.
             {1, {{"\\Device\\ttyACM0", "COM5"}}, vcp_gone},
             {0, {{"\\Device\\ttyS4", "COM5"}}, ""},  // a typed port: any device counts
             {0, {}, "COM5 port has disconnected.\r\nQVTW is closed."}}) {
        LifecycleRig r;
        r.rig.state.port_is_vcp = c.port_is_vcp;
        r.life.start_Timer3();
        r.rig.pump.post_at(1200, [&] { r.ports.serial = c.table_after; });
        r.rig.dialogs.while_open = [&](const RecordedMessage&) {
            EXPECT_EQ(r.rig.pump.now_ms(), 1500);  // noticed at the next tick
        };
        r.rig.pump.run_until(5000);
        SCOPED_TRACE(c.table_after.empty() ? "none"
                                           : c.table_after[0].name + c.table_after[0].port);
        EXPECT_EQ(r.rig.dialogs.last_text(), c.message);
        EXPECT_EQ(r.rig.dialogs.messages().size(), c.message.empty() ? 0u : 1u);
        EXPECT_EQ(r.life.Timer3().active(), c.message.empty());
        EXPECT_EQ(r.view.calls,
                  c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{"end"});
        if (!c.message.empty()) {
            EXPECT_EQ(r.rig.dialogs.messages().front().icon, platform::MsgIcon::Error);
            EXPECT_TRUE(r.life.ending());
        }
    }
}

// The control sees the device go at once; the timer ticking while the message
// box is open (and the control's own error) must not show a second message.
TEST(Presence, ControlErrorsGiveOneMessageOrParkTheWindow) {
    LifecycleRig r;
    r.rig.term.OnComm = [&] {
        if (r.rig.term.CommEvent() > 1000) r.life.PortFailed(r.rig.term.CommEvent());
    };
    r.rig.term.set_RThreshold(1);
    r.life.start_Timer3();
    r.rig.pump.post_at(1210, [&] {
        r.unplug("COM5");
        r.rig.term.fail_port();
    });
    r.rig.dialogs.while_open = [&](const RecordedMessage&) {
        EXPECT_EQ(r.rig.pump.now_ms(), 1210);
        r.rig.pump.run_for(3000);  // the box stays open a while
    };
    r.rig.pump.run_until(6000);
    EXPECT_EQ(r.rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(r.view.count("end"), 1);
    EXPECT_FALSE(r.rig.term.PortOpen());
    EXPECT_EQ(r.rig.pump.active_timers(), 0);

    // A control error while the port is still listed parks the window and
    // leaves the presence check running.
    LifecycleRig p;
    p.life.start_Timer3();
    p.rig.pump.run_until(100);
    p.life.PortFailed(platform::kCommEvReceive);  // not a failure
    EXPECT_TRUE(p.view.calls.empty());
    p.rig.term.set_PortOpen(false);  // the control closed it itself
    p.life.PortFailed(platform::kCommErrorDeviceGone);
    EXPECT_TRUE(p.rig.dialogs.messages().empty());
    EXPECT_FALSE(p.rig.term.Enabled());
    EXPECT_TRUE(p.view.button_visible);
    EXPECT_TRUE(p.life.Timer3().active());
}

// ---- disconnect ----------------------------------------------------------------------

TEST(Disconnect, ClosesThePortAndParksTheWindow) {
    LifecycleRig r;
    r.life.start_Timer3();
    r.view.caption = "something else";
    r.life.Disconnect1Click();
    EXPECT_FALSE(r.rig.term.PortOpen());
    EXPECT_FALSE(r.rig.term.Enabled());
    EXPECT_EQ(r.view.calls, (std::vector<std::string>{"menus-", "pages-", "move0,0", "caption",
                                                      "show", "focus"}));
    EXPECT_EQ(r.view.caption, "ComPort Connect");
    EXPECT_TRUE(r.life.Timer3().active());  // unplugging still ends the program

    r.view.calls.clear();
    r.life.Disconnect1Click();  // already disconnected
    EXPECT_TRUE(r.view.calls.empty());
}

// ---- reconnect -----------------------------------------------------------------------

// The first attempt opens at 500 ms; each failure costs 1000 ms more, and the
// next attempt again waits 500 ms before it opens. The third failure is shown.
TEST(Reconnect, AtMostThreeAttemptsOneSecondApart) {
    // When each open error is armed (the next open fails), and when the port
    // opened (-1: never).
    for (const auto& [errors_armed_at, opened_at] :
         std::vector<std::pair<std::vector<Millis>, Millis>>{
             {{}, 500}, {{0}, 2000}, {{0, 1000}, 3500}, {{0, 1000, 2500}, -1}}) {
        LifecycleRig r;
        r.life.Disconnect1Click();
        r.view.calls.clear();
        r.rig.term.deliver_at(50, "stale bytes");
        for (const Millis t : errors_armed_at)
            r.rig.pump.post_at(t, [&] { r.rig.term.set_open_error("COM5: device busy"); });
        r.life.Button_ConnectClick();
        SCOPED_TRACE(opened_at);
        EXPECT_EQ(r.rig.term.PortOpen() ? r.rig.pump.now_ms() : -1, opened_at);
        EXPECT_EQ(r.view.calls.back(), "front");
        EXPECT_TRUE(r.view.button_enabled);
        EXPECT_EQ(r.view.button_visible, opened_at < 0);
        if (opened_at < 0) {
            EXPECT_EQ(r.rig.dialogs.last_text(), "COM5: device busy");
            EXPECT_EQ(r.rig.dialogs.messages().size(), 1u);
            EXPECT_EQ(r.rig.pump.now_ms(), 3500);  // no pause after the last attempt
            EXPECT_EQ(r.view.count("focus"), 1);
        } else {
            EXPECT_TRUE(r.rig.dialogs.messages().empty());
            EXPECT_TRUE(r.rig.term.Enabled());
            EXPECT_EQ(r.rig.term.InBufferCount(), 0);  // what arrived before is dropped
            EXPECT_EQ(r.view.count("menus+") + r.view.count("pages+"), 2);
            EXPECT_GE(r.rig.term.focus_count(), 1);
        }
    }
}

// While the monitor holds the port the button reads "Stop KVB Monitor": the
// monitor, if still there, is asked to stop first; when it refuses, the
// reconnect gives up quietly.
TEST(Reconnect, StopsTheMonitorFirst) {
    for (const auto& [exists, answers] : {std::pair{true, true}, {true, false}, {false, true}}) {
        LifecycleRig r;
        ScriptedMonitor monitor;
        monitor.exists = exists;
        monitor.answers = answers;
        r.life.set_monitor(&monitor);
        r.life.Disconnect1Click();
        r.view.caption = "Stop KVB Monitor";
        r.life.Button_ConnectClick();
        SCOPED_TRACE(std::string(exists ? "exists" : "gone") + (answers ? ", answers" : ""));
        EXPECT_EQ(monitor.commands, std::vector<std::string>(exists ? 1 : 0, "Stop"));
        EXPECT_EQ(r.rig.term.PortOpen(), answers);
        EXPECT_TRUE(r.rig.dialogs.messages().empty());
        EXPECT_TRUE(r.view.button_enabled);
    }
}

TEST(Reconnect, AbandonedWhenThePortVanishesMeanwhile) {
    LifecycleRig r;
    r.life.start_Timer3();
    r.life.Disconnect1Click();
    r.view.calls.clear();
    r.rig.pump.post_at(100, [&] { r.unplug("COM5"); });
    r.rig.pump.run_until(300);
    r.view.calls.clear();
    // The user clicked just before the tick that notices it.
    r.rig.pump.post_at(400, [&] { r.life.Button_ConnectClick(); });
    r.rig.pump.run_until(3000);
    EXPECT_FALSE(r.rig.term.PortOpen());
    EXPECT_EQ(r.rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(r.view.count("end"), 1);
    EXPECT_EQ(r.view.count("front"), 0);
}

// ---- end of the program, versions ---------------------------------------------------

TEST(Revision, FromTheCollectedText) {
    for (const auto& [collected, revision] : std::vector<std::pair<const char*, int>>{
             {"VERKVB-68K Motion Controller  REV-205", 205},
             {"VERKVB rev-  130xyz", 130},  // case ignored, blanks skipped
             {"VERREV-99999999999", INT_MAX},
             {"VER123", 123},  // no REV-: from the 4th character
             {"VERKVB-68K", 0},
             {"REV-1", 1}})
        EXPECT_EQ(link::revision_of_reply(collected), revision) << collected;
}

// VER's reply may come in pieces, leftovers are dropped first, the wait
// blocks rather than polls, and a control error gives transfer mode back.
TEST(Revision, AsksVerAndReadsAReplyInPiecesAndRecoversFromAControlError) {
    LifecycleRig r;
    r.rig.term.deliver("leftover");
    r.rig.state.transfer_mode = 1;  // := 0 at the end, not restored
    for (const auto& [t, bytes] : std::vector<std::pair<Millis, std::string>>{
             {5, "VER\r"}, {9, "\nA#B REV-1"}, {30, ".23\r"}, {31, "\n#"}})  // "#" mid-line: text
        r.rig.term.deliver_at(t, bytes);
    EXPECT_EQ(r.life.GetKVB68KVersion(), 123);
    EXPECT_EQ(r.rig.term.sent(), "VER\r");
    EXPECT_EQ(r.rig.state.transfer_mode, 0);
    EXPECT_LE(r.rig.pump.wait_calls(), 8u);

    r.rig.state.transfer_mode = 1;
    r.rig.pump.post_at(r.rig.pump.now_ms() + 20, [&] { r.rig.term.fail_port(); });
    EXPECT_THROW(r.life.GetKVB68KVersion(), platform::TerminalError);
    EXPECT_EQ(r.rig.state.transfer_mode, 0);
}

}  // namespace
}  // namespace qvt::test
