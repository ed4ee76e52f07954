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

// Between two reads of the control. After an empty read we block until
// something happens; wait_for_event also dispatches what is already pending,
// so it is the pump of that round. After a read that brought bytes we only
// pump, because more may be waiting. (Pumping first and then blocking would
// lose the wake-up of data that the pump itself had just delivered.)
void Dialogue::pump_events(bool read_was_empty, platform::Millis deadline_ms) {
    if (read_was_empty) {
        pump_.wait_for_event(deadline_ms);
    } else {
        pump_.process_pending();
    }
}

// Draining the transmit buffer is a wait like any other: it blocks in the pump
// without a deadline, so the terminal control must raise an event when its
// output buffer empties (the Qt control posts one on bytesWritten reaching the
// end of the queue, the test double dispatches when its modelled line has sent
// the last byte). Without that event this loop would sleep forever.
void Dialogue::CommOutBufferWiatZero() {
    TransferModeGuard guard(state_);
    for (;;) {
        pump_.process_pending();
        if (term_.OutBufferCount() == 0) break;
        pump_.wait_for_event(-1);
    }
}

template <typename Scan>
void Dialogue::read_until_done(Scan scan) {
    bool done = false;
    for (;;) {
        const std::string data = term_.Input();
        for (const char c : data)
            done = scan(c) || done;
        if (done) return;
        pump_events(data.empty(), -1);
    }
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
    read_until_done([&](char c) {
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
    TransferModeGuard guard(state_);
    LineStart line;
    read_until_done([&](char c) {
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
    });
}

void Dialogue::Wait_Prompt1() {
    TransferModeGuard guard(state_);
    LineStart line;
    // The echo of the typed line is on the screen already; what follows its CR
    // is the controller's answer and is shown.
    bool collecting = false;
    std::string collected;
    read_until_done([&](char c) {
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
    bool read_failed = false;
    bool success = false;
    {
        TransferModeGuard guard(state_);
        const platform::Millis limit = pump_.now_ms() + platform::Millis{seconds} * 1000;
        LineStart line;
        for (;;) {
            std::string data;
            try {
                data = term_.Input();
            } catch (const platform::TerminalError&) {
                read_failed = true;
                break;
            }
            bool prompt = false;
            for (const char c : data) {
                if (c == kLf) {
                    line.saw_lf();
                } else if (c == kCr) {
                    line.saw_cr();
                } else if (c == kPrompt) {
                    if (line.at_line_start()) prompt = true;
                } else if (c == kContinuationPrompt) {
                    if (!line.at_line_start()) line.saw_other();
                } else {
                    line.saw_other();
                }
            }
            pump_events(data.empty(), limit);
            // The limit is judged after the pump, so a prompt that arrives in
            // the read that also crosses the limit still counts as too late:
            // whoever called us has already given up on that reply.
            if (pump_.now_ms() >= limit) break;
            if (prompt) {
                success = true;
                break;
            }
        }
    }
    // A control that cannot be read any more leaves nobody owning the stream.
    if (read_failed) state_.transfer_mode = 0;
    return success;
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
