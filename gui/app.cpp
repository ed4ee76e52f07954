#include "gui/app.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <cstdio>
#include <exception>

#include "gui/application.h"
#include "gui/break_point_window.h"
#include "gui/clear_outputs_window.h"
#include "gui/io_checker_window.h"
#include "gui/launcher_window.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "gui/request_socket.h"
#include "gui/settings_window.h"
#include "gui/small_windows.h"
#include "gui/watch_window.h"
#include "gui/window_switch_window.h"

namespace qvt::gui {

// ---- small pieces -------------------------------------------------------------------

platform::MsgResult ActiveWindowDialogs::MessageBox(const std::string& caption,
                                                    const std::string& text, platform::MsgIcon icon,
                                                    platform::MsgButtons buttons) {
    set_parent(QApplication::activeWindow());
    return QtDialogs::MessageBox(caption, text, icon, buttons);
}

bool ActiveWindowDialogs::FileDialog(const platform::FileDialogRequest& request,
                                     std::string& path) {
    set_parent(QApplication::activeWindow());
    return QtDialogs::FileDialog(request, path);
}

namespace {

startup::ProfileEnv profile_env(const std::filesystem::path& executable) {
    startup::ProfileEnv env;
    env.exe_dir = executable.parent_path();
    const QRect screen = QGuiApplication::primaryScreen() != nullptr
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    env.screen_width = screen.width();
    env.screen_height = screen.height();
    return env;
}

int screen_height() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().height() : 768;
}

}  // namespace

// ---- creation ---------------------------------------------------------------------------

App::App(const AppOptions& options)
    : term_(ports_.table),
      dialogs_(options.dialogs != nullptr ? *options.dialogs : own_dialogs_),
      processes_(options.processes != nullptr ? *options.processes : own_processes_),
      location_(startup::profile_location(options.executable)),
      executable_(options.executable),
      session_({term_, pump_, dialogs_, clipboard_, ports_.table, &processes_,
                executable_.parent_path().string(), &windows_, &window_controls_},
               lifecycle_glue_),
      listen_for_requests_(options.listen_for_requests) {
    QApplication::setQuitOnLastWindowClosed(false);

    // TForm1: the launcher.
    std::string control_path;
    std::string control_version;
    link::pdqcom_get_ver(control_path, control_version);
    launcher_ = std::make_unique<startup::Launcher>(startup::LauncherDeps{
        session_.state, term_, session_.pump, dialogs_, ports_.table, processes_, session_.profile,
        *this, location_.profile, profile_env(executable_), control_path, control_version});
    launcher_window_ = std::make_unique<LauncherWindow>(*launcher_);
    launcher_->FormCreate(executable_.filename().string());

    // TDataModule2 is the session. TForm3: the main window.
    main_window_ = std::make_unique<MainWindow>(session_, term_);
    auto& shell = session_.console.shell;
    // The histories sit beside the profile, named like it.
    shell.FormCreate(location_.profile.string());
    shell.hooks.save_profile = [this] { save_profile(); };
    shell.hooks.show_launcher_below_screen = [this] { launcher_->main_window_closed(); };
    // A log that fails says so once, without a modal box in the middle of
    // whatever the terminal is doing.
    session_log_ = std::make_unique<log::SessionLog>(pump_, log::local_now, [this](const auto& m) {
        auto* box = new QMessageBox(QMessageBox::Warning, "QVTW2K", QString::fromStdString(m),
                                    QMessageBox::Ok, main_window_.get());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    });
    term_.set_tap([this](bool sent, std::string_view bytes) {
        session_log_->record(sent ? log::Direction::Sent : log::Direction::Received, bytes);
    });
    shell.hooks.session_log = [this] { session_log_menu(); };
    log_file_ = options.log_file;
    QObject::connect(&term_, &QtTerminalControl::portClosedByError, main_window_.get(),
                     [this](int comm_event) { session_.lifecycle.PortFailed(comm_event); });
    QObject::connect(main_window_->connect_button(), &QPushButton::clicked, main_window_.get(),
                     [this] { session_.lifecycle.Button_ConnectClick(); });

    // TForm4: the progress dialog of the transfers.
    set_transfer_hooks();
    progress_window_ =
        std::make_unique<ProgressDialog>(session_.transfers.progress, main_window_.get());

    // TFormIOC: the IO checker, owned by the main window, over which it opens.
    new IoCheckerWindow(session_.io_checker, main_window_.get());
    // TForm15: the window switch, a tool window of the main window. TForm5
    // (the USB-RS search) has no window of its own here.
    new WindowSwitchWindow(session_.desktop.window_switch, main_window_.get(),
                           [this] { main_window_->view().setFocus(); });
    // TForm6: the system-loader chooser. TForm7: the settings dialog.
    chooser_ = std::make_unique<LoaderChooser>(launcher_window_.get());
    settings_ = std::make_unique<startup::SettingsDialog>(
        session_.profile, dialogs_,
        [this](const std::string& text) { launcher_->set_status_text(2, text); });
    settings_window_ = std::make_unique<SettingsWindow>(*settings_, launcher_window_.get());
    // TForm_BreakPoint: the break-point window, over the main window.
    break_point_window_ = new BreakPointWindow(session_.debug.break_points, &main_window_->view(),
                                               main_window_.get());
    // TForm10: the clear-outputs dialog, owned by the main window.
    new ClearOutputsWindow(session_.debug.clear_outputs, main_window_.get());
    // TForm9: the floating watch window, owned by the main window.
    watch_window_ = new WatchWindow(session_.debug.watch, session_.console, main_window_.get());

    // After the vanished port's message, a wait it cut off must not raise a
    // second box on its way out.
    if (auto* application = dynamic_cast<Application*>(QCoreApplication::instance())) {
        application->set_errors_quiet(
            [this] { return session_.lifecycle.ending() || session_.ended(); });
    }
}

App::~App() {
    if (auto* application = dynamic_cast<Application*>(QCoreApplication::instance())) {
        application->set_errors_quiet(nullptr);
    }
    progress_window_.reset();
    term_.set_tap(nullptr);
    session_.console.shell.hooks = {};
    session_.transfers.hooks = {};
}

void App::set_transfer_hooks() {
    transfer::TransferHooks& hooks = session_.transfers.hooks;
    // The label column stretches, so it leaves room for a scroll bar by
    // itself; what is left is laying the list out anew.
    hooks.quit_watch = [this] { session_.debug.Quit_Watch(); };
    hooks.close_watch_window_if_visible = [this] { session_.debug.CloseWatchWindowIfVisible(); };
    hooks.narrow_label_column = [this](bool) { main_window_->label_list()->doItemsLayout(); };
    hooks.bring_main_window_to_front = [this] {
        main_window_->raise();
        main_window_->activateWindow();
    };
    hooks.show_file_menu = [this] { main_window_->show_file_menu(); };
}

void App::start() {
    launcher_window_->show();
    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        launcher_window_->move(area.center() - launcher_window_->rect().center());
    }
    launcher_->FormShow();
    const startup::ProfileValues& profile = session_.profile;
    if (!log_file_.empty()) {
        open_session_log(log_file_);
    } else if (profile.session_log_on == "1" && !profile.session_log_file.empty()) {
        open_session_log(profile.session_log_file);
    }
    watch_window_->load_profile(session_.profile);
    if (listen_for_requests_) {
        requests_ = std::make_unique<RequestServer>(
            [this](const std::string& text) { main_window_->set_request_text(text); });
        QString error;
        if (!requests_->listen(request_socket_path(), &error)) {
            std::fprintf(stderr, "qvtw2k: requests are not taken: %s\n",
                         error.toLocal8Bit().constData());
        }
    }
}

bool App::connect_com(int com, int baud) {
    launcher_->set_port_field(std::to_string(com));
    launcher_->set_baud_index(baud == 38400 ? 0 : 1);
    shortcut_step([this] { launcher_->Button1Click(); });
    // A port that opened and vanished at once has ended the run, not failed.
    return term_.PortOpen() || session_.lifecycle.ending();
}

bool App::connect_device(const std::string& device, int baud) {
    // A device path has no COM number for the presence check to look up; the
    // control's own error event still notices a device that goes away.
    term_.set_Device(device);
    session_.state.port_is_vcp = 0;
    bool open = false;
    shortcut_step([&] { open = launcher_->Connect(0, baud); });
    if (!open) return false;
    set_main_status_text(1, device + " " + std::to_string(baud));
    return true;
}

// The shortcuts run before the event loop, where no handler would catch an
// error: a port that vanishes during the connect pause fails the next write.
// Its error is shown as the loop would show it, or not at all when the
// lifecycle has already told the user and is ending the program.
void App::shortcut_step(const std::function<void()>& step) {
    try {
        step();
    } catch (const platform::Unwind&) {
        // The run ended inside the step; the event loop then quits at once.
    } catch (const std::exception& e) {
        if (session_.lifecycle.ending()) return;
        dialogs_.MessageBox("QVTW2K", e.what(), platform::MsgIcon::Error, platform::MsgButtons::Ok);
    }
}

void App::save_profile() {
    startup::ProfileValues& profile = session_.profile;
    profile.panel2_height = main_window_->tab_area_height();
    // Position of the frame (what move() takes), size of the window's inside
    // (what resize() takes), so a value read back puts the window where it was.
    const QPoint at = main_window_->pos();
    profile.main_window = {at.y(), at.x(), main_window_->width(), main_window_->height()};
    watch_window_->store_profile(profile);
    ++profile_writes_;
    if (auto error = startup::write_profile_file(location_.profile, profile,
                                                 main_window_->shell().visible())) {
        dialogs_.MessageBox("QVTW2K", *error, platform::MsgIcon::Error, platform::MsgButtons::Ok);
    }
}

// The menu's Session Log switches the log off, or asks for its file and
// switches it on; the choice is remembered in the profile.
void App::session_log_menu() {
    startup::ProfileValues& profile = session_.profile;
    if (session_log_->active()) {
        session_log_->stop();
        profile.session_log_on = '0';
        dialogs_.MessageBox("QVTW2K", "The session log was closed.", platform::MsgIcon::Information,
                            platform::MsgButtons::Ok);
        return;
    }
    platform::FileDialogRequest request;
    request.save = true;
    request.title = "Session Log";
    request.filters = {{"Log files (*.log)", "*.log"}};
    request.default_extension = "log";
    request.initial_file = profile.session_log_file.empty()
                               ? (location_.profile.parent_path() / "qvtw2k.log").string()
                               : profile.session_log_file;
    std::string path;
    if (!dialogs_.FileDialog(request, path) || !open_session_log(path)) return;
    profile.session_log_on = '1';
    profile.session_log_file = path;
}

bool App::open_session_log(const std::string& path) {
    std::string error;
    auto sink = log::FileSink::open(path, error);
    if (!sink) {
        std::string text = "The session log cannot be opened: ";
        text += error;
        dialogs_.MessageBox("QVTW2K", text, platform::MsgIcon::Error, platform::MsgButtons::Ok);
        return false;
    }
    session_log_->start(std::move(sink));
    return true;
}

// ---- launcher hooks ---------------------------------------------------------------------

bool App::main_window_closing() {
    return main_window_->shell().closing();
}

void App::set_main_geometry(const startup::WindowGeometry& g) {
    main_window_->move(g.left, g.top);
    main_window_->resize(g.width, g.height);
}

void App::park_main_window() {
    main_window_->park();
}

void App::place_break_point_window(int right, int top) {
    break_point_window_->move(right - break_point_window_->frameGeometry().width(), top);
}

void App::apply_debug_switch(bool on) {
    main_window_->shell().apply_debug_switch(on);
}

void App::main_menu_en_ds(bool enabled) {
    main_window_->shell().menu_en_ds(enabled);
}

void App::set_main_status_text(int panel, const std::string& text) {
    main_window_->shell().set_status_text(panel, text);
}

int App::main_window_height() {
    return main_window_->height();
}

void App::place_main_window(int top, int left, int tab_area_height) {
    main_window_->move(left, top);
    main_window_->set_tab_area_height(tab_area_height);
}

void App::show_main_window() {
    main_window_->show();
    main_window_->raise();
    main_window_->activateWindow();
}

void App::set_main_lamp_yellow() {
    main_window_->shell().set_lamp(console::Lamp::Yellow);
}

void App::clear_terminal() {
    session_.dialogue.ScreenCls();
}

void App::start_port_check() {
    session_.lifecycle.start_Timer3();
}

void App::close_main_window() {
    main_window_->close();
}

void App::hide_launcher() {
    launcher_window_->hide();
}

void App::show_launcher_below_screen() {
    // The launcher only passes through on the way out; it is moved off the
    // screen and not mapped, so nothing flashes.
    launcher_window_->move(launcher_window_->x(), screen_height() + 1000);
}

void App::bring_launcher_to_front() {
    launcher_window_->raise();
    launcher_window_->activateWindow();
}

void App::close_launcher() {
    // A hidden window is not closed by the window system; its close handling
    // runs all the same.
    if (launcher_window_->isVisible()) {
        launcher_window_->close();
    } else {
        launcher_->FormCloseQuery();
    }
}

void App::end_program() {
    if (ended_) return;
    ended_ = true;
    session_.lifecycle.forced_term();
}

std::optional<int> App::choose_loader_port(const std::vector<std::string>& items, int selected) {
    return chooser_->choose(items, selected);
}

void App::show_settings() {
    settings_window_->exec();
}

void App::show_device_list() {
    if (!device_list_) {
        device_list_ = std::make_unique<DeviceListWindow>(ports_.discovery, launcher_window_.get());
    }
    device_list_->show();
    device_list_->raise();
    device_list_->activateWindow();
}

void App::edit_program_offline() {
    session_.ops.files().Edit_Prg(1);
}

// ---- the lifecycle's view -------------------------------------------------------------------

void App::LifecycleGlue::all_menu_en_ds(bool enabled) {
    app_.main_window_->shell().all_menu_en_ds(enabled);
}

void App::LifecycleGlue::set_pages_enabled(bool on) {
    app_.main_window_->shell().set_pages_enabled(on);
    app_.main_window_->shell().set_terminal_enabled(app_.term_.Enabled());
}

std::string App::LifecycleGlue::connect_button_caption() const {
    return to_sjis(app_.main_window_->connect_button()->text());
}

void App::LifecycleGlue::set_connect_button_caption(const std::string& caption) {
    app_.main_window_->connect_button()->setText(from_sjis(caption));
    app_.main_window_->connect_button()->adjustSize();
}

void App::LifecycleGlue::move_connect_button(int top, int left) {
    app_.main_window_->connect_button()->move(left, top);
}

void App::LifecycleGlue::set_connect_button_visible(bool on) {
    auto& shell = app_.main_window_->shell();
    shell.set_terminal_enabled(app_.term_.Enabled());
    shell.set_connect_button_visible(on);
}

void App::LifecycleGlue::set_connect_button_enabled(bool on) {
    app_.main_window_->connect_button()->setEnabled(on);
}

void App::LifecycleGlue::focus_connect_button() {
    app_.main_window_->connect_button()->setFocus();
}

void App::LifecycleGlue::bring_main_window_to_front() {
    app_.main_window_->raise();
    app_.main_window_->activateWindow();
}

void App::LifecycleGlue::end_program() {
    app_.main_window_->close();
    // When the main window had been closed already, the launcher ends the run.
    app_.end_program();
}

void App::LifecycleGlue::quit_application() {
    // Waits still running below this handler stop where they are, send
    // nothing more and unwind to the event loop, which then quits.
    app_.session_.end();
    QCoreApplication::exit(0);
}

}  // namespace qvt::gui
