#include "core/link/lifecycle.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/startup/launcher_rules.h"
#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

using platform::NamedPort;

// The serial-port table as a test sets it; only the discovery table matters.
class TablePorts : public platform::PortTable {
  public:
    std::optional<std::string> device_of(int) const override { return std::nullopt; }
    std::vector<platform::PortEntry> ports() const override { return {}; }
    std::vector<NamedPort> serial_comm_table() const override { return table; }

    std::vector<NamedPort> table;
};

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
    int count(const std::string& what) const {
        int n = 0;
        for (const auto& c : calls)
            n += c == what ? 1 : 0;
        return n;
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
        ports.table = {{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM12"}};
        rig.state.com_port = "5";
        rig.state.port_is_vcp = 1;
        rig.term.set_Enabled(true);
    }
    void unplug(const std::string& port) {
        std::erase_if(ports.table, [&](const NamedPort& p) { return p.port == port; });
    }

    LinkRig rig;
    TablePorts ports;
    RecordingView view;
    link::Lifecycle life{rig.state, rig.term, rig.pump, rig.dialogue, rig.dialogs, ports, view};
};

// ---- presence check ----------------------------------------------------------------

struct PresenceCase {
    const char* name;
    std::uint8_t port_is_vcp;
    std::vector<NamedPort> table_after;  // from t = 1200 on
    std::string message;                 // empty: the port is still there
};

class Presence : public ::testing::TestWithParam<PresenceCase> {};

TEST_P(Presence, EndsTheProgramWhenThePortVanishes) {
    const PresenceCase& c = GetParam();
    LifecycleRig r;
    r.rig.state.port_is_vcp = c.port_is_vcp;
    r.life.start_Timer3();
    r.rig.pump.post_at(1200, [&] { r.ports.table = c.table_after; });
    r.rig.pump.run_until(5000);
    if (c.message.empty()) {
        EXPECT_TRUE(r.rig.dialogs.messages().empty());
        EXPECT_TRUE(r.life.Timer3().active());
        EXPECT_EQ(r.view.count("end"), 0);
        return;
    }
    ASSERT_EQ(r.rig.dialogs.messages().size(), 1u);
    const auto& m = r.rig.dialogs.messages().front();
    EXPECT_EQ(m.caption, "QVTW2K");
    EXPECT_EQ(m.text, c.message);
    EXPECT_EQ(m.icon, platform::MsgIcon::Error);
    EXPECT_EQ(r.view.calls, std::vector<std::string>{"end"});
    EXPECT_FALSE(r.life.Timer3().active());
    EXPECT_TRUE(r.life.ending());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Presence,
    ::testing::Values(
        PresenceCase{"VcpStays", 1, {{"\\Device\\VCP0", "COM5"}}, ""},
        PresenceCase{"OtherAdapterUnplugged", 1, {{"\\Device\\VCP0", "COM5"}}, ""},
        PresenceCase{"VcpGone",
                     1,
                     {{"\\Device\\VCP0", "COM12"}},
                     "COM 5 port has disconnected. (VCP's disappearance)\r\nQVTW is closed."},
        // From the USB-RS list only FTDI ports count, even when the number stays.
        PresenceCase{"VcpBecameOtherDevice",
                     1,
                     {{"\\Device\\ttyACM0", "COM5"}},
                     "COM 5 port has disconnected. (VCP's disappearance)\r\nQVTW is closed."},
        PresenceCase{"TypedPortAnyDeviceCounts", 0, {{"\\Device\\ttyS4", "COM5"}}, ""},
        PresenceCase{"TypedPortGone", 0, {}, "COM5 port has disconnected.\r\nQVTW is closed."}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Presence, NoticedAtTheNextTick) {
    LifecycleRig r;
    r.life.start_Timer3();
    r.rig.pump.post_at(1200, [&] { r.unplug("COM5"); });
    r.rig.dialogs.while_open = [&](const RecordedMessage&) {
        EXPECT_EQ(r.rig.pump.now_ms(), 1500);
    };
    r.rig.pump.run_until(3000);
    EXPECT_EQ(r.rig.dialogs.messages().size(), 1u);
}

// The control sees the device go at once; the timer ticking while the message
// box is open (and the control's own error) must not show a second message.
TEST(Presence, ControlErrorAndTimerGiveOneMessage) {
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
}

// A control error while the port is still listed parks the window; the timer
// still ends the program once the port has gone.
TEST(Presence, ControlErrorWithPortListedParksThenTimerEnds) {
    LifecycleRig r;
    r.life.start_Timer3();
    r.rig.pump.run_until(100);
    r.rig.term.set_PortOpen(false);  // the control closed it itself
    r.life.PortFailed(platform::kCommErrorDeviceGone);
    EXPECT_TRUE(r.rig.dialogs.messages().empty());
    EXPECT_FALSE(r.rig.term.Enabled());
    EXPECT_TRUE(r.view.button_visible);
    EXPECT_TRUE(r.life.Timer3().active());
    r.rig.pump.post_at(700, [&] { r.unplug("COM5"); });
    r.rig.pump.run_until(2000);
    ASSERT_EQ(r.rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(r.view.count("end"), 1);
}

TEST(Presence, ReceiveEventsAreNotFailures) {
    LifecycleRig r;
    r.life.PortFailed(platform::kCommEvReceive);
    EXPECT_TRUE(r.view.calls.empty());
    EXPECT_TRUE(r.rig.term.Enabled());
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

    r.rig.pump.post_at(800, [&] { r.unplug("COM5"); });
    r.rig.pump.run_until(1500);
    EXPECT_EQ(r.rig.dialogs.messages().size(), 1u);
}

// ---- reconnect -----------------------------------------------------------------------

struct ReconnectCase {
    const char* name;
    std::vector<Millis> open_errors_armed_at;  // the next open fails
    Millis opened_at;                          // -1: never opened
    bool message;
};

class Reconnect : public ::testing::TestWithParam<ReconnectCase> {};

TEST_P(Reconnect, AtMostThreeAttemptsOneSecondApart) {
    const ReconnectCase& c = GetParam();
    LifecycleRig r;
    r.life.Disconnect1Click();
    r.view.calls.clear();
    r.rig.term.deliver_at(50, "stale bytes");
    for (const Millis t : c.open_errors_armed_at)
        r.rig.pump.post_at(t, [&] { r.rig.term.set_open_error("COM5: device busy"); });
    Millis opened_at = -1;
    r.life.Button_ConnectClick();
    if (r.rig.term.PortOpen()) opened_at = r.rig.pump.now_ms();
    EXPECT_EQ(opened_at, c.opened_at);
    EXPECT_EQ(r.view.calls.back(), "front");
    if (c.message) {
        ASSERT_EQ(r.rig.dialogs.messages().size(), 1u);
        EXPECT_EQ(r.rig.dialogs.last_text(), "COM5: device busy");
        EXPECT_EQ(r.rig.pump.now_ms(), 3500);  // no pause after the last attempt
        EXPECT_EQ(r.rig.dialogs.messages().front().icon, platform::MsgIcon::Error);
        EXPECT_TRUE(r.view.button_visible);
        EXPECT_TRUE(r.view.button_enabled);
        EXPECT_EQ(r.view.count("focus"), 1);
        EXPECT_FALSE(r.rig.term.PortOpen());
    } else {
        EXPECT_TRUE(r.rig.dialogs.messages().empty());
        EXPECT_TRUE(r.rig.term.Enabled());
        EXPECT_EQ(r.rig.term.InBufferCount(), 0);  // what arrived before is dropped
        EXPECT_FALSE(r.view.button_visible);
        EXPECT_TRUE(r.view.button_enabled);
        EXPECT_EQ(r.view.count("menus+"), 1);
        EXPECT_EQ(r.view.count("pages+"), 1);
        EXPECT_GE(r.rig.term.focus_count(), 1);
    }
}

// The first attempt opens at 500 ms; each failure costs 1000 ms more, and the
// next attempt again waits 500 ms before it opens.
INSTANTIATE_TEST_SUITE_P(Cases, Reconnect,
                         ::testing::Values(ReconnectCase{"FirstTry", {}, 500, false},
                                           ReconnectCase{"SecondTry", {0}, 2000, false},
                                           ReconnectCase{"ThirdTry", {0, 1000}, 3500, false},
                                           ReconnectCase{"GivesUp", {0, 1000, 2500}, -1, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Reconnect, OpenPortDoesNothingMore) {
    LifecycleRig r;
    r.life.Button_ConnectClick();
    EXPECT_EQ(r.view.calls, std::vector<std::string>{"front"});
    EXPECT_EQ(r.rig.pump.now_ms(), 0);
}

TEST(Reconnect, StopsTheMonitorFirst) {
    struct Case {
        bool exists;
        const char* caption;
        bool answers;
        std::vector<std::string> commands;
        bool opened;
    };
    for (const Case& c : std::vector<Case>{
             {true, "Stop KVB Monitor", true, {"Stop"}, true},
             {true, "Stop KVB Monitor", false, {"Stop"}, false},  // refused: give up quietly
             {true, "ComPort Connect", true, {}, true},           // not parked by the monitor
             {false, "Stop KVB Monitor", true, {}, true},         // monitor already gone
         }) {
        LifecycleRig r;
        ScriptedMonitor monitor;
        monitor.exists = c.exists;
        monitor.answers = c.answers;
        r.life.set_monitor(&monitor);
        r.life.Disconnect1Click();
        r.view.caption = c.caption;
        r.view.calls.clear();
        r.life.Button_ConnectClick();
        SCOPED_TRACE(std::string(c.caption) + (c.exists ? " exists" : " gone"));
        EXPECT_EQ(monitor.commands, c.commands);
        EXPECT_EQ(r.rig.term.PortOpen(), c.opened);
        EXPECT_TRUE(r.rig.dialogs.messages().empty());
        EXPECT_TRUE(r.view.button_enabled);
        if (!c.opened) {
            EXPECT_EQ(r.view.calls, (std::vector<std::string>{"button-", "button+", "focus"}));
        }
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

TEST(ForcedTerm, LeavesTheEventLoop) {
    LifecycleRig r;
    r.life.start_Timer3();
    r.life.forced_term();
    EXPECT_EQ(r.view.calls, std::vector<std::string>{"quit"});
    EXPECT_FALSE(r.life.Timer3().active());
}

TEST(Revision, FromTheCollectedText) {
    struct Case {
        const char* collected;
        int revision;
    };
    for (const Case& c :
         std::vector<Case>{{"VERKVB-68K Motion Controller  REV-205", 205},
                           {"VERKVB rev-  130xyz", 130},  // case ignored, blanks skipped
                           {"VERREV-99999999999", INT_MAX},
                           {"VER123", 123},  // no REV-: from the 4th character
                           {"VERKVB-68K", 0},
                           {"REV-1", 1}}) {
        EXPECT_EQ(link::revision_of_reply(c.collected), c.revision) << c.collected;
    }
}

TEST(Revision, AsksTheSimulatedController) {
    LifecycleRig r;
    auto options = kvb::sim::Options{};
    options.version = "2.05";
    options.reply_delay_ms = 40;
    r.rig.attach_sim(options);
    r.rig.term.deliver("leftover");
    EXPECT_EQ(r.life.GetKVB68KVersion(), 205);
    EXPECT_EQ(r.rig.term.sent(), "VER\r");
    EXPECT_EQ(r.rig.state.transfer_mode, 0);
    EXPECT_LE(r.rig.pump.wait_calls(), 6u);  // blocks, does not poll
}

TEST(Revision, ScriptedReplies) {
    struct Case {
        std::vector<std::pair<Millis, std::string>> chunks;
        int revision;
    };
    for (const Case& c :
         std::vector<Case>{{{{5, "VER\r\nKVB-68K REV-2.05\r\n#"}}, 205},
                           {{{5, "VER\r"}, {9, "\nREV-1"}, {30, ".23\r"}, {31, "\n#"}}, 123},
                           {{{5, "VER\r\nA#B REV-3.1\n#"}}, 31},  // "#" mid-line is dropped
                           {{{5, "VER\r\nno revision here\r\n#"}}, 0}}) {
        LifecycleRig r;
        r.rig.state.transfer_mode = 1;  // := 0 at the end, not restored
        for (const auto& [t, bytes] : c.chunks)
            r.rig.term.deliver_at(t, bytes);
        EXPECT_EQ(r.life.GetKVB68KVersion(), c.revision) << c.chunks.front().second;
        EXPECT_EQ(r.rig.state.transfer_mode, 0);
    }
}

TEST(Revision, ControlErrorGivesTransferModeBack) {
    LifecycleRig r;
    r.rig.pump.post_at(20, [&] { r.rig.term.fail_port(); });
    EXPECT_THROW(r.life.GetKVB68KVersion(), platform::TerminalError);
    EXPECT_EQ(r.rig.state.transfer_mode, 0);
}

}  // namespace
}  // namespace qvt::test
