#include "core/debug/watch.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "core/console/virtual_keys.h"

namespace qvt::debug {

namespace {

constexpr platform::Millis kTailReadMs = 10;
constexpr int kMinIntervalMs = 100;

std::string trimmed(const std::string& text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

}  // namespace

std::string watch_command(int print_index, const std::string& variable) {
    static constexpr std::array<const char*, 3> kPrefixes = {"PRINT ", "PRX ", "PRA "};
    const std::string name = trimmed(variable);
    if (name.empty()) return {};
    const auto index =
        static_cast<std::size_t>(print_index >= 0 && print_index < 3 ? print_index : 0);
    return kPrefixes[index] + name;
}

int watch_interval_ms(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end || value < kMinIntervalMs) {
        return kDefaultIntervalMs;
    }
    return value;
}

std::string watch_face(std::int32_t& counter) {
    ++counter;
    if (counter >= 10) {
        counter = 0;
        return "(^_^)__ ";
    }
    return counter % 2 != 0 ? "(^O^)/~ " : "(^o^)__ ";
}

std::string Combobox_sort(std::vector<std::string>& list, const std::string& text) {
    std::string entry = trimmed(text);
    const auto same = std::find(list.begin(), list.end(), entry);
    if (same != list.end()) list.erase(same);
    list.insert(list.begin(), entry);
    return entry;
}

Watch::Watch(const DebugDeps& deps)
    : d_(deps), pump_(deps.dialogue.pump()), timer_(pump_.create_timer()) {
    timer_->set_callback([this] { Timer1Timer(); });
}

// ---- what other parts of the program call ---------------------------------------

void Watch::ShowWatchWindow() {
    if (view.show) {
        view.show();
        return;
    }
    if (!visible_) FormShow();
    FormActivate();
}

void Watch::CloseWatchWindowIfVisible() {
    if (!visible_) return;
    if (view.close) {
        view.close();
    } else {
        FormClose();
    }
}

void Watch::Quit_Watch() {
    d_.state.watch_mode = 0;
    timer_->stop();
    set_status(0, "Stop");
}

// The limit runs from the last received byte: the scanner moves the read
// loop's deadline whenever a block arrives. The control's failure ends the
// wait as a time-out would; the connection's own error handling reports it.
bool Watch::Watch_Wait_Prompt(int timeout_ms, std::string& reply) {
    std::string collected;
    bool at_line_start = false;
    link::ReadLimits limits{pump_.now_ms() + timeout_ms};
    link::ReadEnd end = link::ReadEnd::TimedOut;
    try {
        end = d_.dialogue.read_until(
            [&](std::string_view block) {
                limits.deadline_ms = pump_.now_ms() + timeout_ms;
                bool prompt = false;
                for (const char c : block) {
                    collected += c;
                    if (c == '\n') {
                        at_line_start = true;
                    } else if (c == '#') {
                        prompt = prompt || at_line_start;
                    } else {
                        at_line_start = false;
                    }
                }
                return prompt;
            },
            limits);
        // What follows the prompt (its blank, a late byte) is taken along;
        // anything after that is dropped so the next poll starts clean.
        d_.dialogue.read_until(
            [&](std::string_view block) {
                collected.append(block);
                return false;
            },
            {pump_.now_ms() + kTailReadMs});
        d_.term.set_InBufferCount(0);
    } catch (const platform::TerminalError&) {
        reply.clear();
        return false;
    }
    reply = collected;
    return end == link::ReadEnd::Complete;
}

// ---- the window's events ------------------------------------------------------------

void Watch::FormShow() {
    visible_ = true;
    window_box_ = true;
    memo_.clear();
    status_[0].clear();
    notify();
}

void Watch::FormActivate() {
    d_.shell.set_status_text(3, "");
    set_status(1, kWatchHint);
    d_.shell.set_lamp(console::Lamp::Grey);
    if (view.focus_start_button) view.focus_start_button();
}

void Watch::FormDeactivate() {
    if (d_.state.watch_mode != 0) Quit_Watch();
    if (terminal_has_focus()) {
        d_.shell.termmode_menu_enable();
    } else if (d_.state.term_mode != 0) {
        d_.shell.termmode_menu_disable();
    }
    set_status(1, "");
}

void Watch::FormClose() {
    Quit_Watch();
    visible_ = false;
    set_memo("");
    if (view.activate_main_window) view.activate_main_window();
    d_.shell.focus_terminal();
}

void Watch::Button4Click() {
    if (!d_.shell.Func_Check(true)) {
        d_.shell.focus_terminal();
        return;
    }
    const bool have_variable = !trimmed(variable_).empty();
    if (have_variable) sort_list();
    if (!have_variable && !task_mon_) {
        d_.shell.focus_terminal();
        return;
    }
    if (d_.state.watch_mode != 0) {
        Quit_Watch();
        d_.shell.set_lamp(console::Lamp::Grey);
        set_status(1, kWatchHint);
        return;
    }
    set_memo("");
    d_.state.watch_mode = 1;
    timer_->start(kFirstPollMs, false);
    d_.shell.termmode_menu_disable();
}

void Watch::Button5Click() {
    if (view.activate_main_window) view.activate_main_window();
    d_.shell.focus_terminal();
}

void Watch::Button3Click() {
    if (trimmed(variable_).empty()) return;
    sort_list();
    variable_.clear();
    notify();
}

void Watch::ComboBox2DropDown() {
    if (!trimmed(variable_).empty()) sort_list();
}

void Watch::FormKeyDown(int& key, platform::ShiftState shift, bool in_field, bool variable_field) {
    namespace vk = console::vk;
    if (shift.alt && !shift.ctrl && !shift.shift) {
        if (key == vk::kLeft || key == vk::kRight) {
            if (view.main_window_key_down) view.main_window_key_down(key, shift);
        } else if (key == vk::F(4)) {
            CloseWatchWindowIfVisible();
        }
        key = vk::kNone;
        return;
    }
    if (key == vk::F(7)) {
        Button5Click();
    } else if (key == vk::kEscape) {
        if (in_field) {
            if (view.focus_start_button) view.focus_start_button();
        } else {
            CloseWatchWindowIfVisible();
        }
    } else if (variable_field && (key == vk::kUp || key == vk::kDown)) {
        if (view.drop_variable_list) view.drop_variable_list();
    } else {
        return;
    }
    key = vk::kNone;
}

// A Start/Stop pressed twice while a poll still waits starts a new watch
// whose first tick may fire inside that poll; it comes back once the line is
// free rather than reading the other poll's reply.
void Watch::Timer1Timer() {
    timer_->stop();
    if (d_.state.watch_mode == 0) return;
    if (polling_ != 0) {
        timer_->start(kFirstPollMs, false);
        return;
    }
    const std::string command = watch_command(print_index_, variable_);
    if (command.empty() && !task_mon_) {
        Quit_Watch();
        d_.shell.set_lamp(console::Lamp::Grey);
        return;
    }
    bool answered = false;
    try {
        answered = poll(command);
    } catch (...) {
        // A control that failed or a program that ends leaves no watch behind.
        Quit_Watch();
        throw;
    }
    if (d_.state.watch_mode != 0 && repeat_ && answered) {
        pump_.process_pending();
        timer_->start(watch_interval_ms(interval_), false);
        return;
    }
    stopped();
}

// ---- profile ------------------------------------------------------------------------

void Watch::load(const startup::ProfileValues& profile) {
    repeat_ = profile.watch_boxes[0];
    task_mon_ = profile.watch_boxes[1];
    window_box_ = profile.watch_boxes[2];
    start_focused_box_ = profile.watch_boxes[3];
    variable_ = profile.watch_variable;
    interval_ = profile.watch_interval;
    print_index_ = profile.watch_print_index >= 0 && profile.watch_print_index < 3
                       ? profile.watch_print_index
                       : 0;
    list_ = profile.watch_list;
    notify();
}

void Watch::store(startup::ProfileValues& profile) const {
    profile.watch_boxes = {repeat_, task_mon_, window_box_, start_focused_box_};
    profile.watch_variable = variable_;
    profile.watch_interval = interval_;
    profile.watch_print_index = print_index_;
    profile.watch_list = list_;
}

// ---- inside -------------------------------------------------------------------------

void Watch::set_status(int panel, std::string text) {
    status_.at(std::size_t(panel)) = std::move(text);
    notify();
}

void Watch::set_memo(std::string text) {
    memo_ = std::move(text);
    notify();
}

bool Watch::terminal_has_focus() const {
    if (view.terminal_has_focus) return view.terminal_has_focus();
    return d_.shell.focus() == console::Focus::Terminal;
}

void Watch::sort_list() {
    variable_ = Combobox_sort(list_, variable_);
    notify();
}

bool Watch::poll(const std::string& command) {
    std::string text = watch_face(faces_) + date_time_text() + "\r\n#";
    set_status(0, "Active");
    d_.shell.set_lamp(console::Lamp::Yellow);
    bool answered = true;
    {
        link::FlagGuard polling(polling_);
        link::TransferModeGuard guard(d_.state);
        if (!command.empty()) answered = ask(command, text);
        if (answered && task_mon_) answered = ask("MON", text);
        set_memo(text);
    }
    return answered;
}

bool Watch::ask(const std::string& command, std::string& text) {
    d_.term.set_Output(command + '\r');
    std::string reply;
    if (Watch_Wait_Prompt(kWatchWaitMs, reply)) {
        text += reply;
        return true;
    }
    text = kWatchTimeout;
    return false;
}

void Watch::stopped() {
    Quit_Watch();
    d_.shell.set_lamp(console::Lamp::Grey);
    d_.shell.set_status_text(3, "");
    if (terminal_has_focus()) d_.shell.termmode_menu_enable();
}

}  // namespace qvt::debug
