// The launcher's handlers on the test link: what the first show reads and
// shows, both Connect paths and Connect itself, the system loader and the end
// of the run; and the settings dialog's model.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/startup/launcher.h"
#include "core/startup/settings.h"
#include "tests/core/link/table_ports.h"
#include "tests/support/link_rig.h"
#include "tests/support/scratch_dir.h"

namespace qvt::startup {

namespace {

using test::ScratchDir;

class FakeProcesses : public platform::Processes {
  public:
    std::optional<int> run_and_wait(const std::string& program,
                                    const std::vector<std::string>& args, std::string&) override {
        runs.push_back(program);
        for (const auto& a : args)
            runs.back() += " " + a;
        return 0;
    }
    bool is_file(const std::string& path) const override { return files.count(path) != 0; }

    std::vector<std::string> runs;  // program and arguments
    std::set<std::string> files;
};

// Records what the launcher does to the other windows, one word per call.
class RecordingHooks : public LauncherHooks {
  public:
    bool main_window_closing() override { return closing; }
    void set_main_geometry(const WindowGeometry& g) override { geometry = g; }
    void park_main_window() override { log("park"); }
    void apply_debug_switch(bool on) override { log(on ? "debug+" : "debug-"); }
    void main_menu_en_ds(bool on) override { log(on ? "menus+" : "menus-"); }
    void set_main_status_text(int panel, const std::string& text) override {
        if (panel == 1) status = text;
    }
    int main_window_height() override { return 600; }
    void place_main_window(int t, int l, int tab) override {
        log("place " + std::to_string(t) + "," + std::to_string(l) + "," + std::to_string(tab));
    }
    void show_main_window() override { log("show main"); }
    void set_main_lamp_yellow() override { log("yellow"); }
    void start_port_check() override { log("port check"); }
    void clear_terminal() override { log("clear"); }
    void close_main_window() override {
        log("close main");
        closing = true;
        if (on_main_close) on_main_close();
    }
    void hide_launcher() override { log("hide"); }
    void show_launcher_below_screen() override { log("below"); }
    void bring_launcher_to_front() override {}
    void close_launcher() override { log("close"); }
    void end_program() override { log("end"); }
    std::optional<int> choose_loader_port(const std::vector<std::string>& items,
                                          int selected) override {
        chooser_items = items;
        EXPECT_EQ(selected, 0);
        return chooser_answer;
    }
    void show_settings() override {}
    void show_device_list() override {}
    void edit_program_offline() override {}

    void log(const std::string& what) { calls.push_back(what); }
    int count(const std::string& what) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), what));
    }

    bool closing = false;
    std::function<void()> on_main_close;
    WindowGeometry geometry{-1, -1, -1, -1};
    std::string status;  // the main window's port panel
    std::vector<std::string> calls;
    std::vector<std::string> chooser_items;
    std::optional<int> chooser_answer;
};

struct LauncherRig : test::LinkRig {
    LauncherRig() {
        term.set_PortOpen(false);
        env.exe_dir = dir.path() / "bin";
        env.screen_width = 1280;
        env.screen_height = 1024;
    }
    Launcher& shown() {
        launcher = std::make_unique<Launcher>(
            LauncherDeps{state, term, pump, dialogs, ports, processes, profile, hooks,
                         dir.path() / "qvtw2k.INI", env, "", "3.30.0"});
        launcher->FormCreate("qvtw2k");
        launcher->FormShow();
        return *launcher;
    }
    void one_usbrs_port(const std::string& com, bool controller) {
        ports.serial = {{"\\Device\\VCP0", com}};
        ports.usb = {
            {controller ? "VID_3B7C+PID_6003+KV000001" : "VID_0403+PID_6001+AC000001", com}};
    }

    ScratchDir dir;
    ProfileEnv env;
    test::TablePorts ports;
    FakeProcesses processes;
    RecordingHooks hooks;
    ProfileValues profile;
    std::unique_ptr<Launcher> launcher;
};

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
    EXPECT_EQ(rig.hooks.count("debug+"), 1);
    EXPECT_EQ(rig.hooks.geometry, (WindowGeometry{10, 20, 700, 500}));
    EXPECT_EQ(l.entries(), std::vector<std::string>{"COM12    KVB-410USB"});
    EXPECT_EQ(l.selected(), 0);

    LauncherRig bad;  // a bad integer is reported and the launcher still comes up
    bad.dir.write("qvtw2k.INI", "[Form3]\r\nTop=abc\r\n[Comport]\r\nNumber=9\r\n");
    Launcher& b = bad.shown();
    ASSERT_EQ(bad.dialogs.messages().size(), 1u);              // its text is the profile's
    EXPECT_EQ(b.entries(), std::vector<std::string>{"none"});  // the search still ran
}

// Both buttons open the port their rule chose and hand over to the main window.
TEST(LauncherConnect, BothButtonsOpenThePortAndHandOver) {
    for (const bool usbrs : {false, true}) {
        LauncherRig rig;
        if (usbrs) rig.one_usbrs_port("COM12", true);
        Launcher& l = rig.shown();
        l.set_port_field("5");
        rig.state.port_is_vcp = 7;
        rig.profile.form3_top = "33";
        rig.profile.form3_left = "44";
        rig.profile.quit_connecting = "0";
        usbrs ? l.Button9Click() : l.Button1Click();
        SCOPED_TRACE(usbrs);
        EXPECT_EQ(rig.term.CommPort(), usbrs ? 12 : 5);
        EXPECT_EQ(rig.term.Settings(), usbrs ? "115200,n,8,1" : "38400,n,8,1");
        EXPECT_EQ(rig.state.com_port, usbrs ? "12" : "5");
        EXPECT_EQ(rig.state.port_is_vcp, usbrs ? 1 : 0);
        EXPECT_EQ(rig.hooks.status, usbrs ? "COM12    KVB-410USB" : "COM5 38400");
        EXPECT_EQ(rig.hooks.count("place 33,44,100"), 1);  // "Panel2Top" 0: a sixth of 600
        EXPECT_EQ(rig.term.sent(), "");
        for (const char* step : {"menus+", "yellow", "clear", "show main", "hide", "port check"})
            EXPECT_EQ(rig.hooks.count(step), 1) << step;
        EXPECT_FALSE(l.visible());
    }
}

TEST(LauncherConnect, RefusedOpenSaysSoAndTheRetrySkipsTheDisplaySetUp) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    rig.state.com_port = "3";
    rig.term.set_open_error("busy");
    l.set_port_field("5");
    l.Button1Click();
    EXPECT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.state.com_port, "3");  // the port it tried is not left behind
    EXPECT_EQ(rig.hooks.count("show main") + rig.hooks.count("port check"), 0);
    EXPECT_TRUE(l.visible());

    rig.term.set_Columns(80);  // the set-up of the first attempt must not come again
    EXPECT_TRUE(l.Connect(4, 38400));
    EXPECT_EQ(rig.term.Columns(), 80);
    EXPECT_EQ(rig.state.connect_count, 2);
}

// With stop-at-connect the controller gets Ctrl-A, half a second, then VER.
// The presence check may run inside that pause (the port's error event); its
// message must name the port then.
TEST(LauncherConnect, StopAtConnectSendsCtrlAWaitsThenVer) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    rig.profile.quit_connecting = "1";
    std::string during_pause;
    auto probe = rig.pump.create_timer();
    probe->set_callback([&] { during_pause = rig.state.com_port; });
    rig.term.set_responder([&](const std::string& chunk, platform::Millis) {
        if (chunk == "\x01") probe->start(100, false);
    });
    l.set_port_field("5");
    l.Button1Click();
    rig.pump.process_pending();
    EXPECT_EQ(rig.term.sent(), "\x01VER\r");
    EXPECT_GE(rig.pump.now_ms(), 500);
    EXPECT_EQ(during_pause, "5");
}

TEST(LauncherButtons, SelectionAndPortFieldRules) {
    LauncherRig rig;
    Launcher& l = rig.shown();  // "none" only, nothing selected
    l.Button9Click();
    EXPECT_EQ(rig.dialogs.last_text(), "select item");
    l.set_selected(0);  // "none"
    l.Button4Click();
    EXPECT_EQ(rig.dialogs.last_text(), "invalid COM number");
    l.set_port_field("x");
    l.Button1Click();
    EXPECT_EQ(rig.dialogs.last_text(), "'x' is not a valid integer value");
    EXPECT_EQ(rig.state.connect_count, 0);

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

// The tool is looked for under each of its names in the program's folder;
// with USB-RS ports the chooser decides the port, and without a port nothing runs.
TEST(SystemLoader, RunsTheToolOnTheChosenPortAndWaits) {
    struct Case {
        std::vector<std::string> files;
        bool usbrs;
        std::optional<int> answer;
        std::string run;  // with the folder left out; empty: none
        std::string said;
    };
    for (const Case& c : std::vector<Case>{
             {{"kestrel", "kestrel.exe"}, false, {}, "kestrel /A=1 /P=5", kLoaderComplete},
             {{"kestrel.exe"}, false, {}, "kestrel.exe /A=1 /P=5", kLoaderComplete},
             {{}, false, {}, "", kLoaderMissing2},
             {{"kestrel"}, true, std::nullopt, "", ""},
             {{"kestrel"}, true, -1, "", kLoaderNoPort},
             {{"kestrel"}, true, 0, "kestrel /A=1 /P=12", kLoaderComplete},
             {{"kestrel"}, true, 1, "kestrel /A=1 /P=5", kLoaderComplete}}) {
        LauncherRig rig;
        const auto bin = [&](const std::string& f) { return (rig.env.exe_dir / f).string(); };
        for (const auto& f : c.files)
            rig.processes.files.insert(bin(f));
        if (c.usbrs) rig.one_usbrs_port("COM12", false);
        Launcher& l = rig.shown();
        l.set_port_field("5");
        rig.hooks.chooser_answer = c.answer;
        l.Button5Click();
        SCOPED_TRACE(c.run);
        EXPECT_EQ(rig.processes.runs,
                  c.run.empty() ? std::vector<std::string>{} : std::vector{bin(c.run)});
        EXPECT_EQ(rig.dialogs.last_text(), c.said);
        if (c.usbrs) {
            EXPECT_EQ(rig.hooks.chooser_items,
                      (std::vector<std::string>{"COM12    USB-RS", "COM5  "}));
        }
    }
}

TEST(LauncherEnd, ClosingTheMainWindowEndsTheProgramThroughTheLauncher) {
    LauncherRig rig;
    Launcher& l = rig.shown();
    ASSERT_TRUE(l.Connect(1, 38400));
    rig.hooks.closing = true;  // the main window's close handler ran
    l.main_window_closed();
    // "park": with no profile yet the main window waited off the screen, once.
    for (const char* step : {"below", "close", "end", "park"})
        EXPECT_EQ(rig.hooks.count(step), 1) << step;

    LauncherRig exiting;  // Exit on the launcher closes the main window first
    Launcher& e = exiting.shown();
    exiting.hooks.on_main_close = [&] { e.main_window_closed(); };
    e.FormCloseQuery();
    EXPECT_EQ(exiting.hooks.count("close main"), 1);
    EXPECT_EQ(exiting.hooks.count("below"), 0);  // the launcher was visible: it ends by itself
    EXPECT_EQ(exiting.hooks.count("end"), 1);
}

// The settings dialog's model: filling, OK, Cancel and Select.
struct SettingsRig {
    SettingsRig() {
        values.editor = "/opt/kvbed2k";
        values.editor1 = "/usr/bin/xdg-open";
        values.quit_connecting = '1';
        values.ime_enabled = '0';
        values.reference_host = "http://ref.test";
    }
    ProfileValues values;
    test::ScriptedDialogs dialogs;
    std::vector<std::string> stop_texts;
    SettingsDialog dialog{values, dialogs,
                          [this](const std::string& t) { stop_texts.push_back(t); }};
};

TEST(Settings, OkStoresEverythingAndUpdatesTheLauncherAtOnce) {
    SettingsRig rig;
    rig.values.ime_enabled = 'x';  // not "1": shown unticked, written as "0"
    rig.dialog.FormActivate();
    EXPECT_EQ(rig.dialog.controls, (SettingsControls{"/opt/kvbed2k", "/usr/bin/xdg-open", true,
                                                     false, "http://ref.test"}));
    rig.dialog.controls.edit1 = "  typed as is ";
    rig.dialog.controls.edit3 = "ref.example";
    rig.dialog.controls.check1 = false;
    rig.dialog.Button1Click();
    EXPECT_EQ(rig.values.editor, "  typed as is ");
    EXPECT_EQ(rig.values.editor1, "/usr/bin/xdg-open");
    EXPECT_EQ(rig.values.quit_connecting, "0");
    EXPECT_EQ(rig.values.ime_enabled, "0");
    EXPECT_EQ(rig.values.reference_host, "ref.example");
    EXPECT_EQ(rig.stop_texts, std::vector<std::string>{"KVB Not Stop"});

    rig.dialog.FormActivate();
    rig.dialog.controls.check1 = true;
    rig.dialog.controls.check2 = true;
    rig.dialog.Button1Click();
    EXPECT_EQ(rig.values.quit_connecting, "1");
    EXPECT_EQ(rig.values.ime_enabled, "1");
    EXPECT_EQ(rig.stop_texts.back(), "");
}

// Select fills the field from the file dialog (nothing if cancelled); Cancel
// leaves the values, and the next activation refills the fields.
TEST(Settings, SelectFillsTheFieldAndOnlyOkStoresIt) {
    SettingsRig rig;
    rig.dialog.FormActivate();
    rig.dialogs.push_file("/usr/bin/mousepad");
    rig.dialog.Button3Click();
    rig.dialogs.push_file(std::nullopt);
    rig.dialog.Button4Click();
    EXPECT_EQ(rig.dialog.controls.edit1, "/usr/bin/mousepad");
    EXPECT_EQ(rig.dialog.controls.edit2, "/usr/bin/xdg-open");
    ASSERT_EQ(rig.dialogs.file_requests().size(), 2u);
    const auto& r = rig.dialogs.file_requests()[1];
    EXPECT_EQ(r.initial_file, "/usr/bin/xdg-open");
    EXPECT_EQ(rig.values.editor, "/opt/kvbed2k");
    rig.dialog.FormActivate();
    EXPECT_EQ(rig.dialog.controls.edit1, "/opt/kvbed2k");
}

}  // namespace
}  // namespace qvt::startup
