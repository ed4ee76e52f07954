// The launcher: the first window of the program, where the user picks the
// controller's port and speed, and the place the run ends.
//
// How it works: Launcher is the window's model and its handlers. It holds what
// the window shows (three status texts, the USB-RS list and its selection, the
// port field, the baud choice, which control has the focus) and tells the view
// through on_change; the view forwards the user's clicks as the handler calls
// named after the buttons. The port field and the baud choice live in the
// profile values (launcher_port_field, baud_index), because the profile writes
// them back at the end of the run.
//
// Everything that happens to other windows goes through LauncherHooks, which
// the application implements with the real main window (and tests with a
// recording one): parking the main window off the screen, showing it after a
// successful Connect, its status bar, lamp and port-presence timer, the modal
// chooser and settings dialogs, the end of the program.
//
// Connect opens the port on the terminal control exactly once per attempt;
// the display set-up (grid, font, emulation) happens only on the first
// attempt of the run, so a second try after a refused open does not redo it.
// After a successful open the main window takes over and, with stop-at-connect
// on, the controller gets Ctrl-A, half a second to stop its program, emptied
// buffers and "VER", whose answer the main window's receive handler shows.
//
// The run ends when the main window has been closed: its close handler saves
// the profile and calls main_window_closed(), which shows the launcher again
// (below the screen); FormShow then sees the closing flag and ends the program.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/link/shared_state.h"
#include "core/platform/dialogs.h"
#include "core/platform/event_pump.h"
#include "core/platform/port_table.h"
#include "core/platform/processes.h"
#include "core/platform/terminal_control.h"
#include "core/startup/profile.h"

namespace qvt::startup {

// Messages of the launcher (bytes; the Japanese ones in Shift-JIS).
inline constexpr const char* kConnectFailed =
    "Fail to connect\r\nComm port was already opened or invalid port\r\n";
inline constexpr const char* kSelectItem = "select item";
inline constexpr const char* kInvalidComNumber = "invalid COM number";
inline constexpr const char* kLoaderComplete =
    "SYSTEM LOADER Complete\r\n\r\nInitialize the KVB immediately \r\n (1) KVB power off and "
    "on.\r\n (2) Connect QVTW and then execute \"KVBINIT\" and \"ERASE\" commands";
inline constexpr const char* kLoaderMissing1 =
    "\x83V\x83X\x83"
    "e\x83\x80\x83\x8D\x81[\x83_\x81[(kestrel.exe)\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"
    "\x81"
    "B\r\n";
inline constexpr const char* kLoaderMissing2 =
    "\x83V\x83X\x83"
    "e\x83\x80\x83\x8D\x81[\x83_\x81[\x82\xCDQVTW32.EXE\x82\xC6\x93\xAF\x82\xB6\x83t\x83H\x83\x8B"
    "\x83_\x81[\x82\xC9\x94z\x92u\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81"
    "B\r\n";
// The chooser confirmed without a chosen port: no loader may start without one.
inline constexpr const char* kLoaderNoPort =
    "No port was selected.\r\nSelect the port of the KVB in the list and press OK.";
// The names the system-loader tool may have in the program's folder, in the
// order they are tried.
inline constexpr const char* kLoaderNames[] = {"kestrel", "kestrel.exe"};

// What the launcher does to the windows around it.
// Sets the terminal control up for the controller before an open attempt:
// baud,n,8,1 with no handshake, RTS off, one receive event per arrival, every
// waiting byte per read; on the run's first attempt also the display (150 by
// 200 cells, cursor, font, input buffer). Counts the attempt in connect_count.
void prepare_port(platform::TerminalControl& term, link::SharedState& state, int port, int baud);

class LauncherHooks {
  public:
    virtual ~LauncherHooks() = default;

    // ---- the main terminal window ----------------------------------------
    virtual bool main_window_closing() = 0;
    virtual void set_main_geometry(const WindowGeometry& geometry) = 0;
    // Moves the main window below the screen, shows it and hides it again, so
    // that it is laid out once before the user sees it.
    virtual void park_main_window() = 0;
    // Puts the break-point window's right edge at right and its top at top.
    virtual void place_break_point_window(int /*right*/, int /*top*/) {}
    virtual void apply_debug_switch(bool on) = 0;
    virtual void main_menu_en_ds(bool enabled) = 0;
    virtual void set_main_status_text(int panel, const std::string& text) = 0;
    virtual int main_window_height() = 0;
    virtual void place_main_window(int top, int left, int tab_area_height) = 0;
    virtual void show_main_window() = 0;
    virtual void set_main_lamp_yellow() = 0;
    // Clears the terminal screen (ScreenCls).
    virtual void clear_terminal() = 0;
    virtual void start_port_check() = 0;  // Timer3, every 500 ms
    virtual void close_main_window() = 0;

    // ---- the launcher window and the program --------------------------------
    virtual void hide_launcher() = 0;
    virtual void show_launcher_below_screen() = 0;
    virtual void bring_launcher_to_front() = 0;
    virtual void close_launcher() = 0;
    virtual void end_program() = 0;

    // ---- other windows ------------------------------------------------------
    // The system-loader chooser, modal: the index chosen on OK (-1 when none
    // is selected), nothing on Cancel.
    virtual std::optional<int> choose_loader_port(const std::vector<std::string>& items,
                                                  int selected) = 0;
    virtual void show_settings() = 0;
    virtual void show_device_list() = 0;
    // The program editor without a connection.
    virtual void edit_program_offline() = 0;
};

enum class LauncherChange : std::uint8_t { Status, List, PortField, Baud, Focus, Visible };
enum class LauncherFocus : std::uint8_t { Button1, ListBox1 };

struct LauncherDeps {
    link::SharedState& state;
    platform::TerminalControl& term;
    platform::EventPump& pump;
    platform::Dialogs& dialogs;
    const platform::PortTable& ports;
    platform::Processes& processes;
    ProfileValues& profile;
    LauncherHooks& hooks;
    std::filesystem::path profile_path;
    ProfileEnv env;  // exe_dir is the program's own folder
    // The terminal control's file and version ("" when it has none).
    std::string control_path;
    std::string control_version;
};

class Launcher {
  public:
    explicit Launcher(const LauncherDeps& deps);
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    std::function<void(LauncherChange)> on_change;

    // ---- window events --------------------------------------------------------
    void FormCreate(const std::string& exe_file_name);
    void FormShow();
    void FormActivate();
    // The launcher closes: the main window is closed first, then the program ends.
    void FormCloseQuery();
    // The main window's close handler is done: show the launcher so that it
    // ends the program.
    void main_window_closed();

    // ---- buttons and the list ----------------------------------------------------
    void Button1Click();  // Other COM Port: Connect
    void Button2Click();  // Exit
    void Button3Click();  // Search
    void Button4Click();  // Set to COM (hidden)
    void Button5Click();  // System Loader
    void Button6Click();  // Offline Edit
    void Button7Click();  // Settings
    void Button8Click();  // Device Manager
    void Button9Click();  // USB-RS: Connect
    void ListBox1DblClick() { Button9Click(); }
    void ListBox1KeyDown(int& key);

    bool Connect(int port, int baud);

    // ---- what the window shows -----------------------------------------------------
    const std::string& status_text(int panel) const { return status_.at(std::size_t(panel)); }
    void set_status_text(int panel, std::string text);
    const std::vector<std::string>& entries() const { return entries_; }
    int selected() const { return selected_; }
    void set_selected(int index);
    const std::string& port_field() const { return profile_.launcher_port_field; }
    void set_port_field(std::string text);
    int baud_index() const { return profile_.baud_index; }
    void set_baud_index(int index);
    LauncherFocus focus() const { return focus_; }
    bool visible() const { return visible_; }
    void set_visible(bool visible);
    bool profile_read() const { return profile_read_; }

    // Items "1" to "99" of the port field's list.
    static std::vector<std::string> port_items();

  private:
    void notify(LauncherChange what) {
        if (on_change) on_change(what);
    }
    void error_box(const std::string& caption, const std::string& text);
    void read_profile();
    void search();
    // The port number of a port text, or nothing after telling the user.
    std::optional<int> port_number(const std::string& text);
    // Connect, then the port-presence check.
    void connect_and_watch(int port, int baud);
    std::optional<std::string> loader_port();
    std::optional<std::string> loader_path() const;
    // Lets events run for ms milliseconds (blocking in the pump, never spinning).
    void pause(platform::Millis ms);

    link::SharedState& state_;
    platform::TerminalControl& term_;
    platform::EventPump& pump_;
    platform::Dialogs& dialogs_;
    const platform::PortTable& ports_;
    platform::Processes& processes_;
    ProfileValues& profile_;
    LauncherHooks& hooks_;
    std::filesystem::path profile_path_;
    ProfileEnv env_;
    std::string control_path_;
    std::string control_version_;

    std::array<std::string, 3> status_{};
    std::vector<std::string> entries_;
    int selected_ = -1;
    LauncherFocus focus_ = LauncherFocus::Button1;
    bool visible_ = false;
    bool profile_read_ = false;
};

}  // namespace qvt::startup
