#include "core/debug/break_points.h"

#include <charconv>
#include <vector>

#include "core/console/line_parse.h"

namespace qvt::debug {

namespace {

// The controller answers "BKP" at once; two seconds leave room for a slow
// line and a busy program.
constexpr platform::Millis kReadLimitMs = 2000;
constexpr int kPromptSeconds = 2;
constexpr int kReadPairs = 6;
constexpr int kSettleMs = 100;
constexpr int kAfterChangeMs = 500;
constexpr int kRefusalShownMs = 2000;
constexpr std::size_t kRowWidth = 6;

// The reply's lines, numbered from 0; CR, LF and CR LF each end a line.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

// The row's text as the controller takes it: trimmed, up to its first blank.
std::string row_argument(const std::string& text) {
    const std::string trimmed = console::trim_blanks(text);
    return trimmed.substr(0, trimmed.find_first_of(" \t"));
}

// Keeps a group disabled while an operation runs, and enables it again on
// every way out (an error of the line, the end of the program).
class GroupOff {
  public:
    GroupOff(bool& group, const std::function<void()>& changed) : group_(group), changed_(changed) {
        group_ = false;
        changed_();
    }
    ~GroupOff() {
        group_ = true;
        changed_();
    }
    GroupOff(const GroupOff&) = delete;
    GroupOff& operator=(const GroupOff&) = delete;

  private:
    bool& group_;
    const std::function<void()>& changed_;
};

}  // namespace

bool BkpReply::feed(char c) {
    if (done_) return true;
    if (c == '#') {
        done_ = true;
        return true;
    }
    if (c != '?') text_ += c;
    return false;
}

std::string row_of_reply_line(std::string_view line) {
    if (line.find("POINT") == std::string_view::npos) return {};
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return std::string(line.substr(eq + 1, kRowWidth));
}

BreakPoints::BreakPoints(const DebugDeps& deps)
    : d_(deps), controls_changed_([this] { notify(BpChange::Controls); }) {}

// ---- the core module's operations -------------------------------------------------

void BreakPoints::Break_Point() {
    if (visible_) {
        notify(BpChange::Visible);  // brought to the front
        return;
    }
    visible_ = true;
    notify(BpChange::Visible);
    FormShow();
}

void BreakPoints::hide() {
    if (!visible_) return;
    visible_ = false;
    notify(BpChange::Visible);
}

bool BreakPoints::get_current_break_point(std::string& out) {
    out.clear();
    std::string text;
    {
        link::TransferModeGuard taken(d_.state);
        d_.term.set_InBufferCount(0);
        d_.term.set_OutBufferCount(0);
        d_.term.set_Output("BKP\r");
        BkpReply reply;
        link::ReadLimits limits;
        limits.deadline_ms = d_.dialogue.pump().now_ms() + kReadLimitMs;
        const link::ReadEnd end =
            d_.dialogue.read_bytes_until([&](char c) { return reply.feed(c); }, limits);
        if (end == link::ReadEnd::Complete) text = reply.text();
        // What follows the "#" (the "?" of the break prompt, a late line of
        // program output) is no one's to show.
        d_.dialogue.sleep_ProcessMessages(kSettleMs);
        d_.term.set_InBufferCount(0);
    }
    out = console::trim_blanks(text);
    return !out.empty();
}

void BreakPoints::Break_Point_Set_Controls() {
    cont_enabled_ = false;
    trace_enabled_ = false;
    d_.state.bp_mode = 0;
    tick(false);
    notify(BpChange::Controls);
}

void BreakPoints::set_break_checkbox(bool ticked) {
    tick(ticked);
}

void BreakPoints::disable_cont() {
    if (!cont_enabled_) return;
    cont_enabled_ = false;
    notify(BpChange::Controls);
}

// ---- window events -------------------------------------------------------------------

void BreakPoints::FormShow() {
    if (close_watch_window) close_watch_window();
    std::string reply;
    if (!get_current_break_point(reply)) {
        message(kNoCurrentAtShow);
        return;
    }
    memo_ = reply;
    notify(BpChange::Memo);
    int held = 0;
    for (const std::string& line : lines_of(reply)) {
        if (line.find("POINT") != std::string::npos) ++held;
    }
    if (held == 0) {
        Break_Point_Set_Controls();
        grey_all();
        return;
    }
    // A table the user has filled stays as it is until the next change.
    bool empty = true;
    for (const BreakRow& row : rows_)
        empty = empty && row.text.empty();
    if (empty) get_current();
}

void BreakPoints::FormActivate() {
    d_.shell.set_status_text(3, "");
    set_status(kHint);
    d_.shell.set_lamp(console::Lamp::Grey);
    set_focus(BpFocus::Set);
}

void BreakPoints::FormDeactivate() {
    // The lamp was grey while this window had the focus; back at the
    // terminal it tells again whether a program owns the terminal.
    if (d_.shell.focus() == console::Focus::Terminal) {
        if (d_.state.term_mode != 0) {
            d_.shell.termmode_menu_disable();
        } else {
            d_.shell.termmode_menu_enable();
        }
    }
    set_status("");
}

bool BreakPoints::request_close() {
    if (d_.state.bp_mode == 0) {
        hide();
        return true;
    }
    if (refusing_) return false;
    refusing_ = true;
    set_status(kCloseRefused);
    try {
        d_.dialogue.sleep_ProcessMessages(kRefusalShownMs);
    } catch (...) {
        refusing_ = false;
        throw;
    }
    refusing_ = false;
    set_status("");
    return false;
}

void BreakPoints::set_row_text(int row, const std::string& text) {
    rows_.at(static_cast<std::size_t>(row)).text = text;
}

void BreakPoints::Button10Click() {
    {
        GroupOff off(bkp_enabled_, controls_changed_);
        d_.state.bp_hit = 0;
        d_.term.set_Output("BKP 0\r");
        if (!d_.dialogue.TWait_Prompt(kPromptSeconds)) {
            message(kCannotSet);
            return;
        }
        add_from_cursor_line();
        for (BreakRow& row : rows_)
            row.confirmed = send_row(row);
        notify(BpChange::Rows);
        get_current();
        d_.dialogue.sleep_ProcessMessages(kSettleMs);
        d_.dialogue.sleep_ProcessMessages(kAfterChangeMs);
    }
    focus_terminal();
}

void BreakPoints::clear_row(int row) {
    GroupOff off(table_enabled_, controls_changed_);
    rows_.at(static_cast<std::size_t>(row)).text.clear();
    notify(BpChange::Rows);
    d_.term.set_Output("BKP 0\r");
    if (!d_.dialogue.TWait_Prompt(kPromptSeconds)) {
        message(kCannotSet);
        return;
    }
    // Only what the controller held goes back; a row typed but never set
    // stays unset.
    for (BreakRow& r : rows_) {
        if (r.confirmed) r.confirmed = send_row(r);
    }
    notify(BpChange::Rows);
    get_current();
    d_.dialogue.sleep_ProcessMessages(kSettleMs);
    focus_terminal();
}

void BreakPoints::list_row(int row) {
    d_.dialogue.ScreenCls();
    const std::string text = console::trim_blanks(rows_.at(static_cast<std::size_t>(row)).text);
    if (text.empty()) return;
    long long n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    // A row that holds no number has no line to list.
    if (error != std::errc{} || end != text.data() + text.size()) {
        focus_terminal();
        return;
    }
    if (n < 0) n = 0;
    d_.term.set_CursorColumn(1);
    d_.term.set_Disp("\x1b[0K");
    d_.dialogue.sleep_ProcessMessages(0);
    // Output of a running program may have landed on the line meanwhile.
    d_.term.set_CursorColumn(1);
    d_.term.set_Disp("LIST " + std::to_string(n) + "\x1b[0K");
    if (keys != nullptr) {
        int key = 13;  // Enter: the line under the cursor goes out as typed
        keys->CommKeyDown(key, {});
    }
    focus_terminal();
}

void BreakPoints::Button3Click() {
    {
        d_.state.bp_hit = 0;
        GroupOff off(bkp_enabled_, controls_changed_);
        d_.term.set_Output("BKP 0\r");
        if (!d_.dialogue.TWait_Prompt(kPromptSeconds)) {
            message(kCannotReset);
            return;
        }
        rows_ = {};
        notify(BpChange::Rows);
        get_current();
        d_.dialogue.sleep_ProcessMessages(kAfterChangeMs);
    }
    focus_terminal();
}

void BreakPoints::focus_terminal() {
    d_.shell.focus_terminal();
    set_focus(BpFocus::Terminal);
}

// ---- the steps ---------------------------------------------------------------------------

void BreakPoints::get_current() {
    grey_all();
    std::string first;
    std::string second;
    for (int disagreed = 0;;) {
        get_current_break_point(first);
        if (first.empty()) {
            message(kNoCurrent);
            return;
        }
        get_current_break_point(second);
        if (first == second) break;
        if (++disagreed == kReadPairs) {
            message(kRepliesDisagree);
            return;
        }
    }
    rows_ = {};
    memo_ = first;
    const std::vector<std::string> lines = lines_of(first);
    // Line 0 is the echo of "BKP"; lines 1 to 8 are the rows.
    for (std::size_t k = 1; k < lines.size() && k <= rows_.size(); ++k) {
        std::string value = row_of_reply_line(lines[k]);
        if (value.empty()) continue;
        rows_[k - 1] = {std::move(value), true};
    }
    notify(BpChange::Memo);
    notify(BpChange::Rows);
    cont_enabled_ = break_ticked_;
    trace_enabled_ = break_ticked_;
    notify(BpChange::Controls);
}

void BreakPoints::add_from_cursor_line() {
    std::string text;
    if (d_.term.SelLength() == 0) {
        std::string line;
        d_.dialogue.GetLineStr(d_.term.CursorRow(), line);
        line = console::trim_blanks(line);
        if (!line.empty() && line.front() == '#') line = console::trim_blanks(line.substr(1));
        // In a listing the text before the first blank is the line number;
        // a line without one names no line.
        const auto blank = line.find_first_of(" \t");
        if (blank == std::string::npos) return;
        text = console::trim_blanks(line.substr(0, blank));
    } else {
        text = console::trim_blanks(d_.term.SelText());
        d_.term.set_SelLength(0);
    }
    if (text.empty()) return;
    for (const BreakRow& row : rows_) {
        if (console::trim_blanks(row.text) == text) return;
    }
    for (BreakRow& row : rows_) {
        if (console::trim_blanks(row.text).empty()) {
            row = {text, false};
            notify(BpChange::Rows);
            return;
        }
    }
}

bool BreakPoints::send_row(const BreakRow& row) {
    const std::string argument = row_argument(row.text);
    if (argument.empty()) return false;
    d_.term.set_Output("BKP " + argument + "\r");
    d_.dialogue.Wait_Prompt();
    return true;
}

void BreakPoints::go_on(const char* answer) {
    link::SharedState& st = d_.state;
    st.bp_hit = 0;
    st.term_mode = st.term_mode_at_prompt;
    if (st.term_mode != 0) {
        d_.shell.termmode_menu_disable();
    } else {
        d_.shell.termmode_menu_enable();
    }
    Break_Point_Set_Controls();
    focus_terminal();
    d_.term.set_Output(answer);
    if (answer[0] == 't') d_.dialogue.sleep_ProcessMessages(kSettleMs);
}

void BreakPoints::message(const char* text) {
    d_.dialogs.MessageBox(kBpCaption, text, platform::MsgIcon::Error, platform::MsgButtons::Ok);
    focus_terminal();
}

void BreakPoints::set_status(std::string text) {
    if (status_ == text) return;
    status_ = std::move(text);
    notify(BpChange::Status);
}

void BreakPoints::tick(bool ticked) {
    if (ticked == break_ticked_) return;
    break_ticked_ = ticked;
    cancel_enabled_ = !ticked;
    if (ticked) {
        cont_enabled_ = true;
        trace_enabled_ = true;
    }
    notify(BpChange::Controls);
    if (ticked) {
        set_focus(BpFocus::Cont);
        focus_terminal();
    }
}

void BreakPoints::set_focus(BpFocus place) {
    focus_ = place;
    notify(BpChange::Focus);
}

void BreakPoints::grey_all() {
    for (BreakRow& row : rows_)
        row.confirmed = false;
    notify(BpChange::Rows);
}

}  // namespace qvt::debug
