// The program as a whole: the platform objects, the session, and every window
// created once, in the order the program has always created them.
//
// How it works: App owns the Qt implementations of the platform interfaces
// (event pump, port table, terminal control, dialogs, clipboard, processes),
// then the session (core/session), which owns everything the program decides,
// and then the windows in their creation order: the launcher (the first
// window, whose close ends the program), the main terminal window, the
// progress dialog, the system-loader chooser and the settings dialog. Each
// window is a view built with a reference to the session's models.
//
// App implements what the core asks of windows as a whole: the launcher's
// hooks and the connection lifecycle's view. start() shows the launcher,
// which reads the profile; a port given on the command line is then connected
// directly, as if chosen under "Other COM Port".
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/log/session_log.h"
#include "core/session/session.h"
#include "core/startup/launcher.h"
#include "core/startup/profile.h"
#include "core/startup/settings.h"
#include "gui/app_port_table.h"
#include "gui/atspi.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_processes.h"
#include "gui/qt_terminal_control.h"
#include "gui/x11_windows.h"

namespace qvt::gui {

class BreakPointWindow;
class DeviceListWindow;
class LauncherWindow;
class LoaderChooser;
class MainWindow;
class ProgressDialog;
class RequestServer;
class SettingsWindow;
class WatchWindow;

// Message boxes owned by whichever window is active when they open.
class ActiveWindowDialogs : public QtDialogs {
  public:
    platform::MsgResult MessageBox(const std::string& caption, const std::string& text,
                                   platform::MsgIcon icon, platform::MsgButtons buttons) override;
    bool FileDialog(const platform::FileDialogRequest& request, std::string& path) override;
};

struct AppOptions {
    std::filesystem::path executable;  // the running program's path
    // Overrides of the dialogs and the process runner (tests); null: the real ones.
    platform::Dialogs* dialogs = nullptr;
    platform::Processes* processes = nullptr;
    bool listen_for_requests = true;
    // A session log from the start (--log), not remembered in the profile.
    std::string log_file;
};

class App : public startup::LauncherHooks {
  public:
    explicit App(const AppOptions& options);
    ~App() override;
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Shows the launcher (which reads the profile and searches the ports).
    void start();
    // The command-line shortcuts: connect at once, as "Other COM Port" does
    // for a COM number, or on an explicit device (no presence check then).
    bool connect_com(int com, int baud);
    bool connect_device(const std::string& device, int baud);

    bool ended() const { return ended_; }

    session::Session& session() { return session_; }
    link::SharedState& state() { return session_.state; }
    QtTerminalControl& term() { return term_; }
    QtEventPump& pump() { return pump_; }
    startup::ProfileValues& profile() { return session_.profile; }
    const startup::ProfileLocation& location() const { return location_; }
    startup::Launcher& launcher() { return *launcher_; }
    startup::SettingsDialog& settings() { return *settings_; }
    LauncherWindow& launcher_window() { return *launcher_window_; }
    MainWindow& main_window() { return *main_window_; }
    SettingsWindow& settings_window() { return *settings_window_; }
    LoaderChooser& chooser() { return *chooser_; }
    link::Lifecycle& lifecycle() { return session_.lifecycle; }
    transfer::Transfers& transfers() { return session_.transfers; }
    ProgressDialog& progress_dialog() { return *progress_window_; }
    int profile_writes() const { return profile_writes_; }

    // ---- startup::LauncherHooks ---------------------------------------------
    bool main_window_closing() override;
    void set_main_geometry(const startup::WindowGeometry& geometry) override;
    void park_main_window() override;
    void place_break_point_window(int right, int top) override;
    void apply_debug_switch(bool on) override;
    void main_menu_en_ds(bool enabled) override;
    void set_main_status_text(int panel, const std::string& text) override;
    int main_window_height() override;
    void place_main_window(int top, int left, int tab_area_height) override;
    void show_main_window() override;
    void set_main_lamp_yellow() override;
    void clear_terminal() override;
    void start_port_check() override;
    void close_main_window() override;
    void hide_launcher() override;
    void show_launcher_below_screen() override;
    void bring_launcher_to_front() override;
    void close_launcher() override;
    void end_program() override;
    std::optional<int> choose_loader_port(const std::vector<std::string>& items,
                                          int selected) override;
    void show_settings() override;
    void show_device_list() override;
    void edit_program_offline() override;

  private:
    // The connection lifecycle's view of the main window.
    class LifecycleGlue : public link::LifecycleView {
      public:
        explicit LifecycleGlue(App& app) : app_(app) {}
        void all_menu_en_ds(bool enabled) override;
        void set_pages_enabled(bool on) override;
        std::string connect_button_caption() const override;
        void set_connect_button_caption(const std::string& caption) override;
        void move_connect_button(int top, int left) override;
        void set_connect_button_visible(bool on) override;
        void set_connect_button_enabled(bool on) override;
        void focus_connect_button() override;
        void bring_main_window_to_front() override;
        void end_program() override;
        void quit_application() override;

      private:
        App& app_;
    };

    void save_profile();
    void session_log_menu();
    bool open_session_log(const std::string& path);
    void set_transfer_hooks();
    void shortcut_step(const std::function<void()>& step);

    // The platform, created first.
    QtEventPump pump_;
    AppPortTable ports_;
    QtTerminalControl term_;
    ActiveWindowDialogs own_dialogs_;
    platform::Dialogs& dialogs_;
    QtClipboard clipboard_;
    QtProcesses own_processes_;
    platform::Processes& processes_;
    X11Windows windows_;
    AtSpi atspi_;
    DesktopWindowControls window_controls_{windows_, atspi_};
    startup::ProfileLocation location_;
    std::filesystem::path executable_;

    // The session, then the windows in creation order.
    LifecycleGlue lifecycle_glue_{*this};
    session::Session session_;
    std::unique_ptr<startup::Launcher> launcher_;
    std::unique_ptr<LauncherWindow> launcher_window_;
    std::unique_ptr<MainWindow> main_window_;
    std::unique_ptr<ProgressDialog> progress_window_;
    std::unique_ptr<LoaderChooser> chooser_;
    std::unique_ptr<startup::SettingsDialog> settings_;
    std::unique_ptr<SettingsWindow> settings_window_;
    std::unique_ptr<DeviceListWindow> device_list_;
    BreakPointWindow* break_point_window_ = nullptr;  // owned by the main window
    std::unique_ptr<RequestServer> requests_;
    WatchWindow* watch_window_ = nullptr;  // owned by the main window
    bool listen_for_requests_ = true;

    std::unique_ptr<log::SessionLog> session_log_;
    std::string log_file_;

    int profile_writes_ = 0;
    bool ended_ = false;
};

}  // namespace qvt::gui
