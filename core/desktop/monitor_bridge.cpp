#include "core/desktop/monitor_bridge.h"

#include <memory>
#include <optional>

namespace qvt::desktop {

namespace {

constexpr const char* kCaption = "QVTW2K";
constexpr platform::Millis kWindowPollMs = 100;
constexpr std::size_t kButtonTextMax = 256;
constexpr const char* kNoWindow = "KVB Monitor Window could not be found. (2)";
constexpr const char* kNoButton = "Start/Stop Button could not be found";

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::string monitor_executable(const std::string& program_folder, bool english_edition) {
    return program_folder + (english_edition ? "/KVB_MonitorE" : "/KVB_Monitor");
}

std::vector<std::string> monitor_arguments(const std::string& com_port,
                                           const std::string& baud_rate) {
    return {com_port, baud_rate == "38400" ? "0" : "1"};
}

void MonitorBridge::stop_message(const std::string& text) {
    d_.dialogs.MessageBox(kCaption, text, platform::MsgIcon::Error, platform::MsgButtons::Ok);
}

bool MonitorBridge::monitor_window_exists() {
    return d_.controls != nullptr && d_.controls->window_exists(kMonitorTitle);
}

void MonitorBridge::KVBMonitor1Click() {
    if (!monitor_window_exists() && !start_monitor()) return;
    if (!d_.term.PortOpen()) return;
    // Without a button to press the monitor could neither take the port nor
    // give it back, so the terminal keeps it.
    if (!find_button()) {
        stop_message(kNoButton);
        return;
    }
    let_go_of_port();
    SendMessageToMonitor("Start");
}

// Any kind of button counts, as long as its text names the action; the last
// one the desktop reports wins.
std::optional<platform::ChildControl> MonitorBridge::find_button() {
    std::optional<platform::ChildControl> button;
    if (d_.controls == nullptr) return button;
    for (platform::ChildControl& control : d_.controls->controls(kMonitorTitle)) {
        if (contains(upper(control.kind), "BUTTON") &&
            (contains(control.text, "Start") || contains(control.text, "Stop"))) {
            button = std::move(control);
        }
    }
    return button;
}

// False when the monitor is not there to take the port.
bool MonitorBridge::start_monitor() {
    const std::string path = monitor_executable(d_.program_folder, d_.state.english_edition != 0);
    std::string program;
    for (const std::string& candidate : {path, path + ".exe"}) {
        if (d_.processes != nullptr && d_.processes->is_file(candidate)) {
            program = candidate;
            break;
        }
    }
    if (program.empty()) {
        stop_message(path + "\r\n is not exist");
        return false;
    }
    const std::unique_ptr<platform::RunningProgram> running =
        d_.processes->start(program, monitor_arguments(d_.state.com_port, d_.state.baud_rate));
    d_.pump.process_pending();
    const platform::Millis first = d_.pump.now_ms() + kMonitorFirstWaitMs;
    while (d_.pump.now_ms() < first)
        d_.pump.wait_for_event(first);
    const platform::Millis give_up = d_.pump.now_ms() + kMonitorWindowTimeoutMs;
    // The window may show before its controls can be reached.
    while (!monitor_window_exists() || !find_button()) {
        // A monitor that could not start or has ended will show no window.
        if (running == nullptr || running->ended() || d_.pump.now_ms() >= give_up) {
            if (monitor_window_exists()) return true;
            stop_message(kNoWindow);
            return false;
        }
        const platform::Millis next = d_.pump.now_ms() + kWindowPollMs;
        while (d_.pump.now_ms() < next)
            d_.pump.wait_for_event(next);
    }
    return true;
}

void MonitorBridge::let_go_of_port() {
    d_.view.all_menu_en_ds(false);
    d_.view.set_connect_button_enabled(false);
    d_.term.set_PortOpen(false);
    d_.term.set_Enabled(false);
    d_.view.set_pages_enabled(false);
    d_.view.move_connect_button(0, 0);
    d_.pump.process_pending();
    d_.view.set_connect_button_caption(link::kStopMonitorCaption);
    d_.view.set_connect_button_visible(true);
    d_.view.set_connect_button_enabled(true);
    d_.pump.process_pending();
}

bool MonitorBridge::SendMessageToMonitor(const std::string& command) {
    if (!monitor_window_exists()) {
        if (command != "Stop") stop_message(kNoWindow);
        return false;
    }
    const std::optional<platform::ChildControl> button = find_button();
    if (!button) {
        stop_message(kNoButton);
        return false;
    }
    const std::string text = d_.controls->text_of(*button).substr(0, kButtonTextMax);
    const bool already =
        (command == "Start" && text == "Stop") || (command == "Stop" && text == "Start");
    if (already) return true;
    d_.controls->bring_to_front(kMonitorTitle);
    d_.controls->press(*button);
    return true;
}

}  // namespace qvt::desktop
