// The launcher's handlers on the test link: what the first show reads and
// shows, both Connect paths and Connect itself, the system loader and the end
// of the run.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/startup/launcher.h"
#include "tests/core/startup/temp_dir.h"
#include "tests/support/link_rig.h"

namespace qvt::startup {
namespace {

using test::TempDir;

class TablePorts : public platform::PortTable {
  public:
    std::optional<std::string> device_of(int) const override { return std::nullopt; }
    std::vector<platform::PortEntry> ports() const override { return {}; }
    std::vector<platform::NamedPort> serial_comm_table() const override { return serial; }
    std::vector<platform::NamedPort> usb_serial_devices() const override { return usb; }
    std::vector<platform::NamedPort> serial, usb;
};

class FakeProcesses : public platform::Processes {
  public:
    std::optional<int> run_and_wait(const std::string& program,
                                    const std::vector<std::string>& args,
                                    std::string& error) override {
        runs.push_back({program, args});
        if (!startable) {
            error = "not executable";
            return std::nullopt;
        }
        return 0;
    }
    bool is_file(const std::string& path) const override { return files.count(path) != 0; }

    struct Run {
        std::string program;
        std::vector<std::string> args;
    };
    std::vector<Run> runs;
    std::set<std::string> files;
    bool startable = true;
};

class RecordingHooks : public LauncherHooks {
  public:
    bool main_window_closing() override { return closing; }
    void set_main_geometry(const WindowGeometry& g) override { geometry = g; }
    void park_main_window() override { ++parks; }
    void apply_debug_switch(bool on) override { debug = on; }
    void main_menu_en_ds(bool on) override { menus = on; }
    void set_main_status_text(int panel, const std::string& text) override {
        main_status[panel].push_back(text);
    }
    int main_window_height() override { return 600; }
    void place_main_window(int t, int l, int tab) override {
        top = t;
        left = l;
        tab_height = tab;
    }
    void show_main_window() override { main_shown = true; }
    void set_main_lamp_yellow() override { lamp_yellow = true; }
    void start_port_check() override { timer3 = true; }
    void clear_terminal() override { ++clears; }
    void close_main_window() override {
        ++main_closes;
        closing = true;
        if (on_main_close) on_main_close();
    }
    void hide_launcher() override { launcher_hidden = true; }
    void show_launcher_below_screen() override { ++launcher_below; }
    void bring_launcher_to_front() override { ++raises; }
    void close_launcher() override { ++launcher_closes; }
    void end_program() override { ++ends; }
    std::optional<int> choose_loader_port(const std::vector<std::string>& items,
                                          int selected) override {
        chooser_items = items;
        chooser_selected = selected;
        return chooser_answer;
    }
    void show_settings() override { ++settings; }
    void show_device_list() override { ++device_lists; }
    void edit_program_offline() override { ++offline_edits; }

    bool closing = false;
    std::function<void()> on_main_close;
    WindowGeometry geometry{-1, -1, -1, -1};
    int clears = 0, parks = 0, main_closes = 0, launcher_below = 0, raises = 0, launcher_closes = 0,
        ends = 0, settings = 0, device_lists = 0, offline_edits = 0;
    std::optional<bool> debug;
    bool menus = false, main_shown = false, lamp_yellow = false, timer3 = false,
         launcher_hidden = false;
    std::map<int, std::vector<std::string>> main_status;
    int top = -1, left = -1, tab_height = -1;
    std::vector<std::string> chooser_items;
    int chooser_selected = -2;
    std::optional<int> chooser_answer;
};

struct LauncherRig : test::LinkRig {
    LauncherRig() {
        term.set_PortOpen(false);
        env.exe_dir = dir.path() / "bin";
        env.screen_width = 1280;
        env.screen_height = 1024;
    }
    Launcher& make() {
        launcher = std::make_unique<Launcher>(
            LauncherDeps{state, term, pump, dialogs, ports, processes, profile, hooks,
                         dir.path() / "qvtw2k.INI", env, "", "3.30.0"});
        launcher->FormCreate("qvtw2k");
        return *launcher;
    }
    Launcher& shown() {
        make().FormShow();
        return *launcher;
    }
    void one_usbrs_port(const std::string& com, bool controller) {
        ports.serial = {{"\\Device\\VCP0", com}};
        ports.usb = {
            {controller ? "VID_3B7C+PID_6003+KV000001" : "VID_0403+PID_6001+AC000001", com}};
    }

    TempDir dir;
    ProfileEnv env;
    TablePorts ports;
    FakeProcesses processes;
    RecordingHooks hooks;
    ProfileValues profile;
    std::unique_ptr<Launcher> launcher;
};

TEST(LauncherShow, FirstRunWithoutProfile) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    EXPECT_TRUE(l.profile_read());
    EXPECT_EQ(rig.state.legacy_control, 0);
    EXPECT_EQ(l.port_field(), "1");
    EXPECT_EQ(l.baud_index(), 0);
    EXPECT_EQ(l.entries(), std::vector<std::string>{"none"});
    EXPECT_EQ(l.selected(), -1);
    EXPECT_EQ(l.focus(), LauncherFocus::Button1);
    EXPECT_EQ(rig.hooks.geometry, (WindowGeometry{0, 0, 600, 400}));
    EXPECT_EQ(rig.hooks.debug, false);
    EXPECT_EQ(rig.hooks.parks, 1);
    EXPECT_TRUE(rig.dialogs.messages().empty());
}

TEST(LauncherShow, ProfileValuesReachTheWindows) {
    LauncherRig rig;
    rig.dir.write("qvtw2k.INI",
                  "[Form3]\r\nTop=10\r\nLeft=20\r\nWidth=700\r\nHeight=500\r\n"
                  "[Comport]\r\nNumber=7\r\nquit_connecting=0\r\n"
                  "[BaudRate]\r\nRadioGroup_Baud=1\r\n[Debug]\r\nqvt_debug=1\r\n");
    rig.one_usbrs_port("COM12", true);
    Launcher& l = rig.shown();
    EXPECT_EQ(l.port_field(), "7");
    EXPECT_EQ(l.baud_index(), 1);
    EXPECT_EQ(l.status_text(2), "KVB Not Stop");
    EXPECT_EQ(rig.hooks.debug, true);
    EXPECT_EQ(rig.hooks.geometry, (WindowGeometry{10, 20, 700, 500}));
    EXPECT_EQ(l.entries(), std::vector<std::string>{"COM12    KVB-410USB"});
    EXPECT_EQ(l.selected(), 0);
    EXPECT_EQ(l.focus(), LauncherFocus::ListBox1);
}

TEST(LauncherShow, BadIntegerIsReportedAndTheLauncherStillComesUp) {
    LauncherRig rig;
    rig.dir.write("qvtw2k.INI", "[Form3]\r\nTop=abc\r\n[Comport]\r\nNumber=9\r\n");
    Launcher& l = rig.shown();
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.last_text(),
              "[Form3] Top: 'abc' is not a valid integer value; 0 is used instead.");
    EXPECT_EQ(l.port_field(), "9");                            // read after the bad key
    EXPECT_EQ(l.entries(), std::vector<std::string>{"none"});  // the search still ran
}

TEST(LauncherConnect, BothButtonsChoosePortBaudAndStatus) {
    struct Case {
        const char* name;
        bool usbrs;  // Button9 on the one list entry, else Button1 on port field "5"
        bool controller;
        int radio;
        int port;
        std::string settings;
        std::string status;
        int vcp;
    };
    const Case cases[] = {
        {"other 115200", false, false, 1, 5, "115200,n,8,1", "COM5 115200", 0},
        {"KVB-410 forces 115200", true, true, 0, 12, "115200,n,8,1", "COM12    KVB-410USB", 1},
        {"USB-RS follows radio", true, false, 1, 12, "115200,n,8,1", "COM12    USB-RS 115200", 1},
    };
    for (const Case& c : cases) {
        LauncherRig rig;
        if (c.usbrs) rig.one_usbrs_port("COM12", c.controller);
        Launcher& l = rig.shown();
        l.set_baud_index(c.radio);
        l.set_port_field("5");
        rig.state.port_is_vcp = 7;
        if (c.usbrs) {
            l.Button9Click();
        } else {
            l.Button1Click();
        }
        EXPECT_TRUE(rig.term.PortOpen()) << c.name;
        EXPECT_EQ(rig.term.CommPort(), c.port) << c.name;
        EXPECT_EQ(rig.term.Settings(), c.settings) << c.name;
        EXPECT_EQ(rig.state.com_port, std::to_string(c.port)) << c.name;
        EXPECT_EQ(rig.state.port_is_vcp, c.vcp) << c.name;
        EXPECT_EQ(rig.hooks.main_status[1].back(), c.status) << c.name;
        EXPECT_TRUE(rig.hooks.timer3) << c.name;
        EXPECT_TRUE(rig.hooks.main_shown && rig.hooks.launcher_hidden) << c.name;
        EXPECT_FALSE(l.visible()) << c.name;
    }
}

TEST(LauncherConnect, OpenDoesTheDisplaySetUpAndHandsOver) {
    LauncherRig rig;
    rig.profile.form3_top = "33";
    Launcher& l = rig.shown();
    rig.profile.form3_top = "33";
    rig.profile.form3_left = "44";
    ASSERT_TRUE(l.Connect(3, 38400));
    EXPECT_EQ(rig.term.Columns(), 150);
    EXPECT_EQ(rig.term.Rows(), 200);
    EXPECT_EQ(rig.term.InBufferSize(), 8192);
    EXPECT_EQ(rig.term.Emulation(), 4);
    EXPECT_EQ(rig.term.RThreshold(), 1);
    EXPECT_EQ(rig.term.Handshaking(), 0);
    EXPECT_FALSE(rig.term.RTSEnable());
    EXPECT_EQ(rig.state.baud_rate, "38400");
    EXPECT_EQ(rig.state.connect_count, 1);
    EXPECT_TRUE(rig.hooks.menus);
    EXPECT_EQ(rig.hooks.top, 33);
    EXPECT_EQ(rig.hooks.left, 44);
    EXPECT_EQ(rig.hooks.tab_height, 100);  // "Panel2Top" 0: a sixth of 600
    EXPECT_TRUE(rig.hooks.lamp_yellow);
    EXPECT_EQ(rig.hooks.clears, 1);
    EXPECT_GT(rig.term.focus_count(), 0);
}

TEST(LauncherConnect, RefusedOpenSaysSoAndTheRetrySkipsTheDisplaySetUp) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    rig.term.set_open_error("busy");
    EXPECT_FALSE(l.Connect(4, 38400));
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.state.connect_count, 1);
    EXPECT_FALSE(rig.hooks.main_shown);
    EXPECT_TRUE(l.visible());

    rig.term.set_Columns(80);  // the set-up of the first attempt must not come again
    EXPECT_TRUE(l.Connect(4, 38400));
    EXPECT_EQ(rig.term.Columns(), 80);
    EXPECT_EQ(rig.state.connect_count, 2);
}

TEST(LauncherConnect, StopAtConnectSendsCtrlAWaitsThenVer) {
    for (const char* quit : {"1", "0"}) {
        LauncherRig rig;
        Launcher& l = rig.shown();
        rig.profile.quit_connecting = quit;
        const auto start = rig.pump.now_ms();
        ASSERT_TRUE(l.Connect(2, 38400));
        rig.pump.process_pending();
        if (std::string(quit) == "1") {
            EXPECT_EQ(rig.term.sent(), "\x01VER\r");
            EXPECT_GE(rig.pump.now_ms() - start, 500);
        } else {
            EXPECT_EQ(rig.term.sent(), "");
        }
    }
}

// The presence check may run inside the pause after Ctrl-A (the port's error
// event); its message must name the port then, and a refused open must not
// leave the port it tried behind.
TEST(LauncherConnect, PortIsNamedDuringTheStopPauseAndNotAfterARefusal) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    rig.state.com_port = "3";
    rig.term.set_open_error("busy");
    l.set_port_field("5");
    l.Button1Click();
    EXPECT_EQ(rig.state.com_port, "3");
    EXPECT_FALSE(rig.hooks.timer3);

    rig.profile.quit_connecting = "1";
    std::string during_pause;
    auto probe = rig.pump.create_timer();
    probe->set_callback([&] { during_pause = rig.state.com_port; });
    rig.term.set_responder([&](const std::string& chunk, platform::Millis) {
        if (chunk == "\x01") probe->start(100, false);
    });
    l.Button1Click();
    EXPECT_EQ(during_pause, "5");
    EXPECT_EQ(rig.state.com_port, "5");
    EXPECT_TRUE(rig.hooks.timer3);
}

TEST(LauncherButtons, SelectionRulesOfConnectAndSetToCom) {
    LauncherRig rig;
    Launcher& l = rig.shown();  // "none" only, nothing selected
    l.Button9Click();
    EXPECT_EQ(rig.dialogs.last_text(), "select item");
    l.Button4Click();
    EXPECT_EQ(rig.dialogs.last_text(), "select item");
    l.set_selected(0);  // "none"
    l.Button4Click();
    EXPECT_EQ(rig.dialogs.last_text(), "invalid COM number");
    l.Button9Click();  // no "COM": nothing further
    EXPECT_FALSE(rig.term.PortOpen());

    LauncherRig rig2;
    rig2.one_usbrs_port("COM12", false);
    Launcher& l2 = rig2.shown();
    l2.Button4Click();
    EXPECT_EQ(l2.port_field(), "12");
    int enter = 13;
    l2.ListBox1KeyDown(enter);
    EXPECT_EQ(enter, 0);
    EXPECT_TRUE(rig2.term.PortOpen());
}

TEST(LauncherButtons, PortFieldThatIsNoNumberIsRefused) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    l.set_port_field("x");
    l.Button1Click();
    EXPECT_EQ(rig.dialogs.last_text(), "'x' is not a valid integer value");
    EXPECT_FALSE(rig.term.PortOpen());
    EXPECT_EQ(rig.state.connect_count, 0);
}

TEST(SystemLoader, RunsTheToolFromTheProgramFolderAndWaits) {
    struct Case {
        std::set<std::string> files;
        std::string expect;
    };
    LauncherRig probe;
    const std::string bin = probe.env.exe_dir.string();
    for (const Case& c : {Case{{bin + "/kestrel", bin + "/kestrel.exe"}, bin + "/kestrel"},
                          Case{{bin + "/kestrel.exe"}, bin + "/kestrel.exe"}}) {
        LauncherRig rig;
        rig.env.exe_dir = bin;
        rig.processes.files = c.files;
        Launcher& l = rig.shown();
        l.set_port_field("5");
        l.Button5Click();
        ASSERT_EQ(rig.processes.runs.size(), 1u);
        EXPECT_EQ(rig.processes.runs[0].program, c.expect);
        EXPECT_EQ(rig.processes.runs[0].args, (std::vector<std::string>{"/A=1", "/P=5"}));
        EXPECT_EQ(rig.dialogs.messages().back().icon, platform::MsgIcon::Information);
        EXPECT_EQ(rig.dialogs.last_text(), kLoaderComplete);
    }
}

TEST(SystemLoader, MissingToolGivesTwoMessages) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    l.Button5Click();
    EXPECT_TRUE(rig.processes.runs.empty());
    ASSERT_EQ(rig.dialogs.messages().size(), 2u);
    EXPECT_EQ(rig.dialogs.messages()[0].text, kLoaderMissing1);
    EXPECT_EQ(rig.dialogs.messages()[1].text, kLoaderMissing2);
}

TEST(SystemLoader, ChooserDecidesThePortWhenUsbrsPortsExist) {
    struct Case {
        std::optional<int> answer;
        std::optional<std::string> port;  // nothing: no run
        bool says_why;
    };
    for (const Case& c : {Case{std::nullopt, std::nullopt, false}, Case{-1, std::nullopt, true},
                          Case{0, "12", false}, Case{1, "3", false}}) {
        LauncherRig rig;
        rig.one_usbrs_port("COM12", false);
        rig.processes.files = {(rig.env.exe_dir / "kestrel").string()};
        Launcher& l = rig.shown();
        l.set_port_field("3");
        rig.hooks.chooser_answer = c.answer;
        l.Button5Click();
        EXPECT_EQ(rig.hooks.chooser_items, (std::vector<std::string>{"COM12    USB-RS", "COM3  "}));
        EXPECT_EQ(rig.hooks.chooser_selected, 0);
        if (c.port) {
            ASSERT_EQ(rig.processes.runs.size(), 1u);
            EXPECT_EQ(rig.processes.runs[0].args[1], "/P=" + *c.port);
        } else {
            EXPECT_TRUE(rig.processes.runs.empty());
        }
        EXPECT_EQ(rig.dialogs.last_text() == kLoaderNoPort, c.says_why);
    }
}

TEST(LauncherEnd, ClosingTheMainWindowEndsTheProgramThroughTheLauncher) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    ASSERT_TRUE(l.Connect(1, 38400));
    rig.hooks.closing = true;  // the main window's close handler ran
    l.main_window_closed();
    EXPECT_EQ(rig.hooks.launcher_below, 1);
    EXPECT_EQ(rig.hooks.launcher_closes, 1);
    EXPECT_EQ(rig.hooks.ends, 1);
    EXPECT_EQ(rig.hooks.parks, 1);  // the show did not run its start-up steps again
}

TEST(LauncherEnd, ExitClosesTheMainWindowFirst) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    rig.hooks.on_main_close = [&] { l.main_window_closed(); };
    l.FormCloseQuery();
    EXPECT_EQ(rig.hooks.main_closes, 1);
    EXPECT_EQ(rig.hooks.launcher_below, 0);  // the launcher was visible: it ends by itself
    EXPECT_EQ(rig.hooks.ends, 1);
}

}  // namespace
}  // namespace qvt::startup
