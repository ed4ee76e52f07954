#include "core/startup/launcher.h"

#include "core/startup/launcher_rules.h"
#include "core/startup/usbrs_search.h"

namespace qvt::startup {

namespace {

constexpr int kReturnKey = 13;
constexpr platform::Millis kStopSettleMs = 500;
constexpr platform::Millis kActivateDelayMs = 100;

}  // namespace

Launcher::Launcher(const LauncherDeps& d)
    : state_(d.state),
      term_(d.term),
      pump_(d.pump),
      dialogs_(d.dialogs),
      ports_(d.ports),
      processes_(d.processes),
      profile_(d.profile),
      hooks_(d.hooks),
      profile_path_(d.profile_path),
      env_(d.env),
      control_path_(d.control_path),
      control_version_(d.control_version) {}

std::vector<std::string> Launcher::port_items() {
    std::vector<std::string> items;
    for (int i = 1; i <= 99; ++i)
        items.push_back(std::to_string(i));
    return items;
}

// ---- window events ---------------------------------------------------------------

void Launcher::FormCreate(const std::string& exe_file_name) {
    const bool english = is_english_edition(exe_file_name);
    state_.english_edition = english ? 1 : 0;
    env_.english_edition = english;
    set_status_text(0, version_text(english));
}

void Launcher::FormShow() {
    set_visible(true);
    if (hooks_.main_window_closing()) {
        hooks_.close_launcher();
        hooks_.end_program();
        return;
    }
    // The profile is read once, when the launcher is first shown.
    if (!profile_read_) {
        read_profile();
        notify(LauncherChange::Baud);  // the radio group shows the profile's choice
    }
    hooks_.park_main_window();
    // Beside the main window's right edge, just below its title bar.
    const WindowGeometry& main = profile_.main_window;
    hooks_.place_break_point_window(main.left + main.width, main.top + 50);
    hooks_.apply_debug_switch(profile_.qvt_debug == "1");
    set_status_text(2, stop_status_text(profile_.quit_connecting));
    set_port_field(profile_.port_number);
    search();
    focus_ = (!entries_.empty() && entries_.front() == kNoPortEntry) ? LauncherFocus::Button1
                                                                     : LauncherFocus::ListBox1;
    notify(LauncherChange::Focus);
    const ControlVersionStatus control = control_version_status(control_path_, control_version_);
    set_status_text(1, control.text);
    state_.legacy_control = control.legacy ? 1 : 0;
}

void Launcher::read_profile() {
    profile_read_ = true;
    const auto error = read_profile_file(profile_path_, env_, profile_);
    // A bad number has taken its key's default and everything else was read;
    // the message names the key, and the next close writes the default.
    hooks_.set_main_geometry(profile_.main_window);
    if (error) error_box("QVTW2K", *error);
}

void Launcher::FormActivate() {
    pause(kActivateDelayMs);
    hooks_.bring_launcher_to_front();
}

void Launcher::FormCloseQuery() {
    if (!hooks_.main_window_closing()) hooks_.close_main_window();
    set_visible(false);
    hooks_.end_program();
}

void Launcher::main_window_closed() {
    // Closing the launcher closes the main window first; the launcher is then
    // visible already and ends the program itself.
    if (visible_) return;
    hooks_.show_launcher_below_screen();
    FormShow();
}

// ---- buttons and the list ---------------------------------------------------------

void Launcher::Button1Click() {
    hooks_.set_main_status_text(1, "COM" + port_field());
    const ConnectPlan plan = other_com_connect_plan(port_field(), baud_index());
    state_.port_is_vcp = 0;
    const auto port = port_number(*plan.port);
    if (!port) return;
    connect_and_watch(*port, plan.baud);
    hooks_.set_main_status_text(1, plan.status_text);
}

void Launcher::Button9Click() {
    if (selected_ < 0 || selected_ >= static_cast<int>(entries_.size())) {
        error_box("QVTW", kSelectItem);
        return;
    }
    const std::string& entry = entries_[std::size_t(selected_)];
    hooks_.set_main_status_text(1, entry);
    const ConnectPlan plan = usbrs_connect_plan(entry, baud_index());
    if (!plan.port) return;
    state_.port_is_vcp = 1;
    hooks_.set_main_status_text(1, plan.status_text);
    const auto port = port_number(*plan.port);
    if (port) connect_and_watch(*port, plan.baud);
}

void Launcher::ListBox1KeyDown(int& key) {
    if (key != kReturnKey) return;
    key = 0;
    Button9Click();
}

void Launcher::Button4Click() {
    if (selected_ < 0 || selected_ >= static_cast<int>(entries_.size())) {
        error_box("QVTW", kSelectItem);
        return;
    }
    const auto port = set_to_com(entries_[std::size_t(selected_)]);
    if (!port) {
        error_box("QVTW", kInvalidComNumber);
        return;
    }
    set_port_field(*port);
}

void Launcher::Button3Click() {
    search();
}

void Launcher::Button2Click() {
    hooks_.close_launcher();
}

void Launcher::Button6Click() {
    hooks_.edit_program_offline();
}

void Launcher::Button7Click() {
    hooks_.show_settings();
}

void Launcher::Button8Click() {
    hooks_.show_device_list();
}

std::optional<int> Launcher::port_number(const std::string& text) {
    const auto port = to_integer(text);
    // A port field that is no number is refused the way a conversion error is.
    if (!port) error_box("QVTW2K", integer_error(text));
    return port;
}

void Launcher::connect_and_watch(int port, int baud) {
    // com_port names the port from the moment it opens, so a port that
    // vanishes during the stop-at-connect pause is reported with its number;
    // a refused open leaves it as it was.
    const std::string before = state_.com_port;
    state_.com_port = std::to_string(port);
    if (!Connect(port, baud)) {
        state_.com_port = before;
        return;
    }
    hooks_.start_port_check();
}

void prepare_port(platform::TerminalControl& term, link::SharedState& state, int port, int baud) {
    const std::string settings = std::to_string(baud) + ",n,8,1";
    state.baud_rate = std::to_string(baud);
    term.set_Handshaking(0);
    term.set_RTSEnable(false);
    term.set_InputLen(0);
    term.set_InTimeout(0);
    term.set_RThreshold(1);
    term.set_SThreshold(0);
    // The display keeps what the user sees across reconnects: it is set up
    // on the first open of the run only.
    if (state.connect_count == 0) {
        term.set_Columns(150);
        term.set_Rows(200);
        term.set_CursorType(0);
        term.set_Font("MS Gothic", 12);
        term.set_CursorType(1);
        term.set_Emulation(0);
        term.set_InBufferSize(8192);
        term.set_Emulation(4);
    }
    term.set_Settings(settings);
    term.set_CommPort(port);
    ++state.connect_count;
}

bool Launcher::Connect(int port, int baud) {
    prepare_port(term_, state_, port, baud);
    try {
        term_.set_PortOpen(true);
    } catch (const platform::TerminalError&) {
        dialogs_.MessageBox("QVTW", kConnectFailed, platform::MsgIcon::None,
                            platform::MsgButtons::Ok);
        return false;
    }

    hooks_.main_menu_en_ds(true);
    const int top = to_integer(profile_.form3_top).value_or(profile_.main_window.top);
    const int left = to_integer(profile_.form3_left).value_or(profile_.main_window.left);
    const int main_height = hooks_.main_window_height();
    // A "Panel2Top" that is no number is taken as "0", the default.
    const int tab_height =
        tab_area_height(profile_.panel2_top, main_height).value_or(main_height / 6);
    hooks_.place_main_window(top, left, tab_height);

    hooks_.show_main_window();
    hooks_.hide_launcher();
    set_visible(false);
    hooks_.clear_terminal();
    hooks_.set_main_lamp_yellow();

    try {
        if (profile_.quit_connecting == "1") {
            term_.set_Output(std::string(1, '\x01'));
            pump_.process_pending();
            pause(kStopSettleMs);
            term_.set_InBufferCount(0);
            term_.set_OutBufferCount(0);
            term_.set_Output("VER\r");
        } else {
            term_.set_InBufferCount(0);
            term_.set_OutBufferCount(0);
        }
        term_.SetFocus();
    } catch (const platform::TerminalError&) {
        // The port was open and failed right after (unplugged in the stop
        // pause). The connection still counts as made, so the caller starts
        // the presence check, which tells the user once and ends the program.
    }
    return true;
}

// ---- system loader -------------------------------------------------------------------

std::optional<std::string> Launcher::loader_port() {
    if (entries_.empty() || entries_.front() == kNoPortEntry) return port_field();
    std::vector<std::string> items = entries_;
    items.push_back("COM" + port_field() + "  ");
    const auto chosen = hooks_.choose_loader_port(items, selected_);
    if (!chosen) return std::nullopt;
    std::string port;
    if (*chosen >= 0 && *chosen < static_cast<int>(items.size())) {
        port = chooser_port(items[std::size_t(*chosen)]);
    }
    if (port.empty()) {
        error_box("QVTW", kLoaderNoPort);
        return std::nullopt;
    }
    return port;
}

std::optional<std::string> Launcher::loader_path() const {
    for (const char* name : kLoaderNames) {
        const std::string path = platform::file_name(env_.exe_dir / name);
        if (processes_.is_file(path)) return path;
    }
    return std::nullopt;
}

void Launcher::Button5Click() {
    const auto port = loader_port();
    if (!port) return;
    const auto tool = loader_path();
    if (!tool) {
        error_box("QVTW", kLoaderMissing1);
        error_box("QVTW", kLoaderMissing2);
        return;
    }
    std::string error;
    if (!processes_.run_and_wait(*tool, {"/A=1", "/P=" + *port}, error)) {
        error_box("QVTW", "Cannot start " + *tool + "\r\n" + error);
        return;
    }
    dialogs_.MessageBox("QVTW", kLoaderComplete, platform::MsgIcon::Information,
                        platform::MsgButtons::Ok);
}

// ---- what the window shows ---------------------------------------------------------------

void Launcher::search() {
    UsbrsSearchResult result = USBRS_Search(ports_);
    entries_ = std::move(result.entries);
    selected_ = result.found ? 0 : -1;
    notify(LauncherChange::List);
}

void Launcher::pause(platform::Millis ms) {
    const platform::Millis until = pump_.now_ms() + ms;
    for (;;) {
        pump_.process_pending();
        if (pump_.now_ms() >= until) break;
        pump_.wait_for_event(until);
    }
}

void Launcher::error_box(const std::string& caption, const std::string& text) {
    dialogs_.MessageBox(caption, text, platform::MsgIcon::Error, platform::MsgButtons::Ok);
}

void Launcher::set_status_text(int panel, std::string text) {
    status_.at(std::size_t(panel)) = std::move(text);
    notify(LauncherChange::Status);
}

void Launcher::set_selected(int index) {
    selected_ = index;
    notify(LauncherChange::List);
}

void Launcher::set_port_field(std::string text) {
    profile_.launcher_port_field = std::move(text);
    notify(LauncherChange::PortField);
}

void Launcher::set_baud_index(int index) {
    profile_.baud_index = index;
    notify(LauncherChange::Baud);
}

void Launcher::set_visible(bool visible) {
    visible_ = visible;
    notify(LauncherChange::Visible);
}

}  // namespace qvt::startup
