#include "core/link/request_field.h"

namespace qvt::link {

namespace {

// Blanks and control characters at either end, as a hand-written request may
// carry them.
std::string trimmed(const std::string& s) {
    auto is_blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::string::size_type first = 0;
    while (first < s.size() && is_blank(s[first]))
        ++first;
    std::string::size_type last = s.size();
    while (last > first && is_blank(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

// Resets a flag on every way out, so a failing request does not block all
// later ones.
class ClearOnExit {
  public:
    explicit ClearOnExit(bool& flag) : flag_(flag) {}
    ~ClearOnExit() { flag_ = false; }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

  private:
    bool& flag_;
};

}  // namespace

RequestField::RequestField(SharedState& state, platform::TerminalControl& term,
                           platform::EventPump& pump, platform::Dialogs& dialogs,
                           RequestHooks& hooks)
    : state_(state),
      term_(term),
      pump_(pump),
      dialogs_(dialogs),
      hooks_(hooks),
      timer2_(pump.create_timer()) {
    timer2_->set_callback([this] { Timer2Timer(); });
}

void RequestField::MaskEdit1Change(const std::string& text) {
    if (queue_.size() >= kMaxWaiting) return;
    queue_.push_back(text);
    if (!running_ && !timer2_->active()) timer2_->start(kTimer2IntervalMs, false);
}

void RequestField::Timer2Timer() {
    timer2_->stop();
    if (running_ || queue_.empty()) return;
    if (state_.operation_running != 0 || state_.transfer_mode != 0) {
        timer2_->start(kBusyRetryMs, false);
        return;
    }
    const std::string text = queue_.front();
    queue_.pop_front();
    {
        ClearOnExit clear(running_);
        running_ = true;
        run(text);
    }
    if (!queue_.empty()) timer2_->start(kTimer2IntervalMs, false);
}

void RequestField::run(const std::string& text) {
    if (!term_.PortOpen()) {
        dialogs_.MessageBox("QVT2K",
                            "Not able to do this operation now. (Com port has been closed)",
                            platform::MsgIcon::Error, platform::MsgButtons::Ok);
        return;
    }
    // The field is one line: a request with a line break in it is not one we
    // were sent, and typing it would send more than one command.
    if (text.size() < 2 || text.find_first_of("\r\n") != std::string::npos) return;

    const std::string request = text.substr(0, 2);
    const std::string argument = text.size() > 3 ? trimmed(text.substr(3)) : std::string();
    if (request == "/L") {
        if (!argument.empty()) hooks_.set_Prg_File(argument);
        state_.file_preselected = 1;
        hooks_.Load68k();
    } else if (request == "/T") {
        type_and_enter("LIST " + argument);
    } else if (request == "/P") {
        type_and_enter("PRINT " + argument + " : PRX " + argument);
    } else if (request == "/X") {
        type_and_enter("PRX " + argument);
    }
}

// Puts line on the terminal's current row in place of what was there, then
// presses Enter on it, which sends the row as a typed command.
void RequestField::type_and_enter(const std::string& line) {
    term_.set_CursorColumn(1);
    term_.set_Disp("\x1b[0K");
    pump_.process_pending();
    term_.set_Disp(line);
    int key = 13;
    hooks_.CommKeyDown(key, platform::ShiftState{});
}

}  // namespace qvt::link
