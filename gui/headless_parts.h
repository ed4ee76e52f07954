// The headless run's stand-ins for what the window provides: dialogs that
// answer by --yes and report on stderr, no clipboard and no programs to start,
// the launcher without its windows, the event pump with a bound on unlimited
// waits, the serial control that reports refused program lines, and the
// progress on stderr.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/clipboard.h"
#include "core/platform/dialogs.h"
#include "core/platform/event_pump.h"
#include "core/platform/processes.h"
#include "core/platform/text_codec.h"
#include "core/session/session.h"
#include "core/startup/launcher.h"
#include "core/transfer/progress.h"
#include "gui/headless.h"
#include "gui/qt_terminal_control.h"

namespace qvt::gui::headless {

// Messages as one line of text on stderr.
inline std::string one_line(const std::string& text) {
    std::string out;
    for (const char c : platform::utf8_from_sjis(text)) {
        if (c == '\r') continue;
        out += c == '\n' ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

inline bool starts_with(const std::string& text, std::string_view prefix) {
    return std::string_view(text).substr(0, prefix.size()) == prefix;
}

// The run's result: the first failure wins over a later "Completed".
struct Outcome {
    int status = -1;
    void set(int s) {
        if (status <= 0) status = s;
    }
};

class HeadlessDialogs : public platform::Dialogs {
  public:
    HeadlessDialogs(bool yes, Outcome& outcome, std::string file)
        : yes_(yes), outcome_(outcome), file_(std::move(file)) {}

    platform::MsgResult MessageBox(const std::string& caption, const std::string& text,
                                   platform::MsgIcon icon, platform::MsgButtons buttons) override {
        if (buttons != platform::MsgButtons::Ok) {
            if (yes_)
                return buttons == platform::MsgButtons::OkCancel ? platform::MsgResult::Ok
                                                                 : platform::MsgResult::Yes;
            std::fprintf(stderr, "qvtw2k: %s: %s (refused; --yes allows it)\n", caption.c_str(),
                         one_line(text).c_str());
            outcome_.set(kRefused);
            return buttons == platform::MsgButtons::OkCancel ? platform::MsgResult::Cancel
                                                             : platform::MsgResult::No;
        }
        result = one_line(text);
        if (starts_with(text, "Completed")) {
            outcome_.set(kDone);
            return platform::MsgResult::Ok;
        }
        if (starts_with(text, "File Open Error") || text.find(" failed: ") != std::string::npos ||
            text.find(" stopped: ") != std::string::npos ||
            text.find("holds no bank count") != std::string::npos) {
            outcome_.set(kFileError);
        } else if (starts_with(text, "Fail to connect")) {
            outcome_.set(kPortError);
        } else {
            outcome_.set(kRefused);  // "Aborted", "Time Out" and the like
        }
        if (icon == platform::MsgIcon::Error || !starts_with(text, "Aborted")) {
            std::fprintf(stderr, "qvtw2k: %s\n", result.c_str());
        }
        return platform::MsgResult::Ok;
    }

    // The file is preselected; a dialog asked all the same gets the same name.
    bool FileDialog(const platform::FileDialogRequest&, std::string& path) override {
        path = file_;
        return true;
    }

    std::string result;

  private:
    bool yes_;
    Outcome& outcome_;
    std::string file_;
};

class NoClipboard : public platform::Clipboard {
  public:
    std::string text() const override { return {}; }
    void set_text(const std::string&) override {}
};

class NoProcesses : public platform::Processes {
  public:
    std::optional<int> run_and_wait(const std::string&, const std::vector<std::string>&,
                                    std::string& error) override {
        error = "no programs are started without a display";
        return std::nullopt;
    }
    bool is_file(const std::string& path) const override {
        return std::filesystem::is_regular_file(path);
    }
};

// The launcher's windows are not there; only its Connect is used.
class NoLauncherWindows : public startup::LauncherHooks {
  public:
    explicit NoLauncherWindows(session::Session& s) : session_(s) {}
    bool main_window_closing() override { return false; }
    void set_main_geometry(const startup::WindowGeometry&) override {}
    void park_main_window() override {}
    void apply_debug_switch(bool) override {}
    void main_menu_en_ds(bool) override {}
    void set_main_status_text(int, const std::string&) override {}
    int main_window_height() override { return 600; }
    void place_main_window(int, int, int) override {}
    void show_main_window() override {}
    void set_main_lamp_yellow() override {}
    void clear_terminal() override { session_.dialogue.ScreenCls(); }
    void start_port_check() override {}
    void close_main_window() override {}
    void hide_launcher() override {}
    void show_launcher_below_screen() override {}
    void bring_launcher_to_front() override {}
    void close_launcher() override {}
    void end_program() override {}
    std::optional<int> choose_loader_port(const std::vector<std::string>&, int) override {
        return std::nullopt;
    }
    void show_settings() override {}
    void show_device_list() override {}
    void edit_program_offline() override {}

  private:
    session::Session& session_;
};

// The Qt pump with a bound on the waits that have none: after limit_ms
// without a byte from the controller, on_silence runs and the wait goes on;
// its answer is the bound until the controller sends again.
class WatchdogPump : public platform::EventPump {
  public:
    explicit WatchdogPump(platform::EventPump& inner) : inner_(inner) {}
    void set_limit(platform::Millis ms, std::function<platform::Millis()> on_silence) {
        limit_ms_ = current_ms_ = ms;
        on_silence_ = std::move(on_silence);
    }
    void saw_bytes() {
        idle_since_ = -1;
        current_ms_ = limit_ms_;
    }

    platform::Millis now_ms() const override { return inner_.now_ms(); }
    void process_pending() override { inner_.process_pending(); }
    std::unique_ptr<platform::Timer> create_timer() override { return inner_.create_timer(); }
    void wait_for_event(platform::Millis deadline_ms) override {
        if (deadline_ms >= 0 || limit_ms_ <= 0) {
            idle_since_ = -1;  // a pause or a bounded wait: its own limit holds
            inner_.wait_for_event(deadline_ms);
            return;
        }
        const platform::Millis now = inner_.now_ms();
        if (idle_since_ < 0) idle_since_ = now;
        if (now - idle_since_ >= current_ms_) {
            idle_since_ = -1;
            current_ms_ = on_silence_();
            inner_.process_pending();
            return;
        }
        inner_.wait_for_event(idle_since_ + current_ms_);
    }

  private:
    platform::EventPump& inner_;
    platform::Millis limit_ms_ = 0;
    platform::Millis current_ms_ = 0;
    platform::Millis idle_since_ = -1;
    std::function<platform::Millis()> on_silence_;
};

// What the load shows on the terminal for a line the controller refused
// goes to stderr here, and counts.
class HeadlessTerminal : public QtTerminalControl {
  public:
    using QtTerminalControl::QtTerminalControl;
    void set_Disp(const std::string& bytes) override {
        if (starts_with(bytes, "(Line:")) {
            ++refused_lines;
            std::fprintf(stderr, "\nqvtw2k: refused %s\n", one_line(bytes).c_str());
        }
        QtTerminalControl::set_Disp(bytes);
    }
    int refused_lines = 0;
};

// Progress on stderr: a bar redrawn in place on a terminal, nothing until
// the end otherwise.
class ProgressLine {
  public:
    ProgressLine(transfer::ProgressModel& model, long total)
        : model_(model), total_(total), tty_(::isatty(2) != 0) {
        if (tty_) model_.on_change = [this] { draw(); };
    }
    ~ProgressLine() { model_.on_change = nullptr; }
    void draw() {
        const std::string& count = model_.label1();
        if (count == drawn_ || count.empty()) return;
        drawn_ = count;
        std::string bar;
        if (total_ > 0) {
            const long n = std::clamp(std::atol(count.c_str()), 0L, total_);
            const long filled = n * 30 / total_;
            bar = '[' + std::string(static_cast<std::size_t>(filled), '#') +
                  std::string(static_cast<std::size_t>(30 - filled), ' ') + "] ";
            std::fprintf(stderr, "\r%s %s%s/%ld lines", model_.caption().c_str(), bar.c_str(),
                         count.c_str(), total_);
        } else {
            std::fprintf(stderr, "\r%s %s lines", model_.caption().c_str(), count.c_str());
        }
        shown_ = true;
    }
    // A save's count is the file's lines; the dialog's counts only every tenth.
    void end(const std::string& title, const std::string& result, const std::string& file,
             long saved_lines) {
        if (shown_) std::fputc('\n', stderr);
        const std::string count = saved_lines >= 0 ? std::to_string(saved_lines) : model_.label1();
        std::fprintf(stderr, "%s %s: %s%s%s\n", title.c_str(), file.c_str(), result.c_str(),
                     count.empty() ? "" : ", lines: ", count.c_str());
    }

  private:
    transfer::ProgressModel& model_;
    long total_;
    bool tty_;
    bool shown_ = false;
    std::string drawn_;
};

inline long count_lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    long lines = 0;
    std::string line;
    while (std::getline(in, line))
        ++lines;
    return lines;
}

}  // namespace qvt::gui::headless
