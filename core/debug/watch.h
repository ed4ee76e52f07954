// The variable watch: a floating window that polls the controller at an
// interval with one of its print commands for a variable the user names (and,
// if asked, the task monitor), and shows each poll's reply.
//
// How it works: Watch is the window's model; the window renders its fields
// and texts and forwards clicks, keys, showing, activation and closing. A
// watch is watch_mode plus one one-shot timer of the event pump. Start arms
// the timer for 100 ms; each tick polls once (face line, "PRINT "/"PRX "/"PRA "
// with the variable, "MON" when Task Mon is ticked, each reply collected by
// Watch_Wait_Prompt) and, when Repeat is ticked, arms the timer again for the
// interval. Between polls nothing runs at all; during a poll the waits block
// in the pump, so the window keeps answering and a Start/Stop or a close in
// the middle of a poll is seen when the poll ends. Stopping only clears
// watch_mode and the timer (Quit_Watch), so whoever ends a watch (the window,
// a transfer taking the line, the quit command, the break-point window) does
// it the same way.
//
// Watch_Wait_Prompt collects the reply up to "#" directly after a line feed;
// its limit runs from the last received byte (the scanner moves the read
// loop's deadline on every block), so a reply that keeps arriving is never
// cut off. It then reads for 10 ms more and discards whatever is left in the
// control's input buffer, so the next poll starts on a quiet line.
//
// The fields live here, not in the window: the profile ("Watch", "Form9")
// is applied with load() after it is read and filled with store() before it
// is written.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/debug/context.h"
#include "core/platform/date_time.h"
#include "core/platform/event_pump.h"
#include "core/startup/profile.h"

namespace qvt::debug {

inline constexpr int kWatchWaitMs = 2000;
inline constexpr int kFirstPollMs = 100;
inline constexpr int kDefaultIntervalMs = 1000;
inline constexpr const char* kWatchTimeout = "The watching timer was stopped by the timeout\r\n";
inline constexpr const char* kWatchHint = "[Esc] Cancel [F7] Back";

// "PRINT A", "PRX A", "PRA A" for print index 0, 1, 2; empty when the trimmed
// variable is empty.
std::string watch_command(int print_index, const std::string& variable);
// The timer interval for the interval field's text: a whole decimal number of
// at least 100, otherwise 1000.
int watch_interval_ms(const std::string& text);
// The face of a poll, from the advanced counter (which the call resets to 0
// at 10).
std::string watch_face(std::int32_t& counter);
// Most recently used first: the trimmed text moves (or is added) to the top,
// no duplicates; returns the trimmed text.
std::string Combobox_sort(std::vector<std::string>& list, const std::string& text);

// What the model asks of its window.
struct WatchView {
    std::function<void()> show;   // show and activate the window
    std::function<void()> close;  // close the window (it then calls FormClose)
    std::function<void()> activate_main_window;
    std::function<void()> focus_start_button;
    // Drops the variable field's list down (Up or Down in the field).
    std::function<void()> drop_variable_list;
    // The main window's key preview (Alt+Left, Alt+Right).
    std::function<void(int& key, platform::ShiftState shift)> main_window_key_down;
    // Whether the terminal control holds the keyboard focus now; unset: the
    // main window's focus model says so.
    std::function<bool()> terminal_has_focus;
};

class Watch {
  public:
    explicit Watch(const DebugDeps& deps);
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    // ---- what other parts of the program call -----------------------------
    void ShowWatchWindow();
    void CloseWatchWindowIfVisible();
    // Ends a running watch: watch_mode cleared, the timer stopped, "Stop".
    void Quit_Watch();
    // Collects received text until "#" after a line feed; false when nothing
    // arrived for timeout_ms or the control could not be read.
    bool Watch_Wait_Prompt(int timeout_ms, std::string& reply);

    // ---- the window's events -------------------------------------------------
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void FormClose();
    void Button4Click();  // Start/Stop
    void Button5Click();  // Back
    void Button3Click();  // Clear
    void ComboBox2DropDown();
    // A key in the window; in_field: one of the two drop-down fields has the
    // focus (variable_field: the variable one). Sets key to 0 when consumed.
    void FormKeyDown(int& key, platform::ShiftState shift, bool in_field, bool variable_field);
    void Timer1Timer();

    // ---- the fields, as the user sets them ------------------------------------
    void set_variable(std::string text) { variable_ = std::move(text); }
    void set_print_index(int index) { print_index_ = index; }
    void set_interval(std::string text) { interval_ = std::move(text); }
    void set_repeat(bool on) { repeat_ = on; }
    void set_task_mon(bool on) { task_mon_ = on; }

    const std::string& variable() const { return variable_; }
    const std::vector<std::string>& variable_list() const { return list_; }
    int print_index() const { return print_index_; }
    const std::string& interval() const { return interval_; }
    bool repeat() const { return repeat_; }
    bool task_mon() const { return task_mon_; }
    const std::string& memo() const { return memo_; }
    const std::string& status_text(int panel) const { return status_.at(std::size_t(panel)); }
    bool visible() const { return visible_; }
    bool timer_active() const { return timer_->active(); }

    // ---- profile ---------------------------------------------------------------------
    void load(const startup::ProfileValues& profile);
    void store(startup::ProfileValues& profile) const;

    WatchView view;
    // Fields, list, texts or status changed.
    std::function<void()> on_change;
    platform::DateTimeText date_time_text = platform::c_locale_date_time;

  private:
    void notify() {
        if (on_change) on_change();
    }
    void set_status(int panel, std::string text);
    void set_memo(std::string text);
    bool terminal_has_focus() const;
    void sort_list();
    // One poll; false when it timed out.
    bool poll(const std::string& command);
    bool ask(const std::string& command, std::string& text);
    void stopped();

    DebugDeps d_;
    platform::EventPump& pump_;
    std::unique_ptr<platform::Timer> timer_;

    std::string variable_;
    std::vector<std::string> list_;
    int print_index_ = 0;
    std::string interval_ = "1000";
    bool repeat_ = false;
    bool task_mon_ = false;
    // The hidden "Watch Window" and "Start with focused" boxes.
    bool window_box_ = false;
    bool start_focused_box_ = false;

    std::string memo_;
    std::array<std::string, 2> status_{};
    std::int32_t faces_ = 0;
    bool visible_ = false;
    std::uint8_t polling_ = 0;
};

}  // namespace qvt::debug
