#include "core/link/dialogue.h"

namespace qvt::link {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kPrompt = '#';
constexpr char kContinuationPrompt = '>';

// Line-start tracking shared by the prompt waits: the prompt counts only as the
// first character of a line.
struct LineStart {
    bool after_cr = false;
    bool after_lf = false;

    bool at_line_start() const { return after_cr || after_lf; }
    void saw_cr() {
        after_cr = true;
        after_lf = false;
    }
    void saw_lf() {
        after_lf = true;
        after_cr = false;
    }
    void saw_other() {
        after_cr = false;
        after_lf = false;
    }
};

}  // namespace

Dialogue::Dialogue(SharedState& state, platform::TerminalControl& term, platform::EventPump& pump)
    : state_(state), term_(term), pump_(pump) {}

// Draining the transmit buffer is a wait like any other: it blocks in the pump
// without a deadline and looks again after every event. The count includes
// the bytes still queued in the serial driver, and the driver signals nothing
// when its queue empties, so the terminal control itself keeps an event due
// for the moment the line should have sent what it holds (the Qt control sets
// a precise timer from the baud rate; the test double dispatches when its
// modelled line has sent the last byte).
void Dialogue::CommOutBufferWiatZero() {
    TransferModeGuard guard(state_);
    for (;;) {
        pump_.process_pending();
        if (term_.OutBufferCount() == 0) break;
        pump_.wait_for_event(-1);
    }
}

// After an empty read we block until something happens; wait_for_event also
// dispatches what is already pending, so it is the pump of that round. After a
// read that brought bytes we only pump, because more may be waiting. (Pumping
// first and then blocking would lose the wake-up of data that the pump itself
// had just delivered.)
ReadEnd Dialogue::read_until(const std::function<bool(std::string_view)>& scan,
                             const ReadLimits& limits) {
    auto aborted = [&] { return limits.abort_flag != nullptr && *limits.abort_flag != 0; };
    for (;;) {
        if (limits.deadline_ms >= 0 && pump_.now_ms() >= limits.deadline_ms) {
            return ReadEnd::TimedOut;
        }
        const std::string data = term_.Input();
        if (!data.empty() && scan(data)) return ReadEnd::Complete;
        if (aborted()) return ReadEnd::Aborted;
        if (data.empty()) {
            pump_.wait_for_event(limits.deadline_ms);
        } else {
            pump_.process_pending();
        }
        if (aborted()) return ReadEnd::Aborted;
    }
}

ReadEnd Dialogue::read_bytes_until(const std::function<bool(char)>& scan,
                                   const ReadLimits& limits) {
    return read_until(
        [&](std::string_view block) {
            bool done = false;
            for (const char c : block)
                done = scan(c) || done;
            return done;
        },
        limits);
}

void Dialogue::CommOut(const std::string& line, std::string& reply) {
    // The caller normally holds transfer_mode already; taking it here as well
    // keeps the receive handler off the reply even when it does not.
    TransferModeGuard guard(state_);
    term_.set_Output(line + kCr);
    CommOutBufferWiatZero();

    std::string collected;
    int lf_count = 0;
    int cr_count = 0;
    bool last_was_lf = false;
    bool replied = false;
    read_bytes_until([&](char c) {
        switch (c) {
            case kLf:
                last_was_lf = true;
                // The first line break ends the echo; later ones join the
                // reply's lines with CR LF.
                if (++lf_count == 1) {
                    collected.clear();
                } else {
                    collected += "\r\n";
                }
                return false;
            case kCr:
                last_was_lf = false;
                if (++cr_count == 1) collected.clear();
                return false;
            case kPrompt:
                if (!last_was_lf) {
                    collected += c;
                    return false;
                }
                if (!replied) reply = collected;
                replied = true;
                return true;
            default:
                collected += c;
                last_was_lf = false;
                return false;
        }
    });
}

void Dialogue::Wait_Prompt() {
    Wait_Prompt(nullptr);
}

bool Dialogue::Wait_Prompt(const std::uint8_t* abort_flag, std::string* seen) {
    constexpr std::size_t kSeenBytes = 256;
    TransferModeGuard guard(state_);
    LineStart line;
    const ReadEnd end = read_bytes_until(
        [&](char c) {
            if (seen != nullptr && seen->size() < kSeenBytes) *seen += c;
            if (c == kLf) {
                line.saw_lf();
            } else if (c == kCr) {
                line.saw_cr();
            } else if (c == kPrompt) {
                return line.at_line_start();
            } else {
                line.saw_other();
            }
            return false;
        },
        {-1, abort_flag});
    return end == ReadEnd::Complete;
}

void Dialogue::Wait_Prompt1() {
    TransferModeGuard guard(state_);
    LineStart line;
    // The echo of the typed line is on the screen already; what follows its CR
    // is the controller's answer and is shown.
    bool collecting = false;
    std::string collected;
    read_bytes_until([&](char c) {
        if (c == kLf) {
            line.saw_lf();
            if (collecting) collected += c;
        } else if (c == kCr) {
            line.saw_cr();
            collecting = true;
            collected += c;
        } else if (c == kPrompt || c == kContinuationPrompt) {
            if (line.at_line_start()) {
                term_.set_Disp(collected);
                return true;
            }
        } else {
            line.saw_other();
            if (collecting) collected += c;
        }
        return false;
    });
    // The controller refuses to edit a line while it sits at a break point; its
    // break prompt is redrawn so the user sees where they are.
    if (collected.find("Can't Edit") != std::string::npos) {
        term_.set_Disp("\x1b[7m#?\x1b[0m\x1b[0K");
    }
}

bool Dialogue::TWait_Prompt(int seconds) {
    ReadEnd end = ReadEnd::TimedOut;
    try {
        TransferModeGuard guard(state_);
        LineStart line;
        end = read_bytes_until(
            [&](char c) {
                if (c == kLf) {
                    line.saw_lf();
                } else if (c == kCr) {
                    line.saw_cr();
                } else if (c == kPrompt) {
                    return line.at_line_start();
                } else if (c == kContinuationPrompt) {
                    if (!line.at_line_start()) line.saw_other();
                } else {
                    line.saw_other();
                }
                return false;
            },
            {pump_.now_ms() + platform::Millis{seconds} * 1000});
    } catch (const platform::TerminalError&) {
        // A control that cannot be read any more leaves nobody owning the
        // stream.
        state_.transfer_mode = 0;
        return false;
    }
    return end == ReadEnd::Complete;
}

void Dialogue::GetLineStr(int row, std::string& out) {
    const std::string text = term_.Text();
    std::string::size_type pos = 0;
    for (int skipped = 1; skipped < row; ++skipped) {
        const auto cr = text.find(kCr, pos);
        if (cr == std::string::npos) {
            out.clear();
            return;
        }
        pos = cr + 2;  // the CR and the LF after it
        if (pos > text.size()) {
            out.clear();
            return;
        }
    }
    const auto cr = text.find(kCr, pos);
    if (cr == std::string::npos) {
        out.clear();
        return;
    }
    out = text.substr(pos, cr - pos);
}

void Dialogue::ScreenCls() {
    term_.set_Disp("\x1b[2J");
    pump_.process_pending();
    // An old control keeps its scroll-back through ESC [2J and does not
    // survive having its text replaced, so only a current one is reset fully.
    if (state_.legacy_control == 0) {
        term_.Scroll(platform::ScrollRequest::Top);
        term_.set_Text("");
    }
    term_.set_Disp("\x1b[2J");
    term_.set_CursorColumn(1);
    if (state_.legacy_control == 0) term_.set_CursorRow(1);
    term_.SetFocus();
}

void Dialogue::msDelay(int ms) {
    sleep_ProcessMessages(ms);
}

// A pause keeps the program alive: events are dispatched at least once and
// then as they come, until ms milliseconds have elapsed. It leaves
// transfer_mode alone, so the receive handler shows whatever arrives.
void Dialogue::sleep_ProcessMessages(int ms) {
    const platform::Millis until = pump_.now_ms() + ms;
    for (;;) {
        pump_.process_pending();
        if (pump_.now_ms() >= until) break;
        pump_.wait_for_event(until);
    }
}

}  // namespace qvt::link
