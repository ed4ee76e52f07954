#include "tests/support/fake_terminal_control.h"

#include <algorithm>
#include <utility>

#include "sim/controller.h"

namespace qvt::test {

FakeTerminalControl::FakeTerminalControl(VirtualEventPump& pump) : pump_(pump) {
    pump_.add_source(this);
}

FakeTerminalControl::~FakeTerminalControl() {
    pump_.remove_source(this);
}

void FakeTerminalControl::deliver_at(Millis t, std::string bytes) {
    // Keep arrivals sorted; equal times keep their order.
    auto it = std::upper_bound(arrivals_.begin(), arrivals_.end(), t,
                               [](Millis due, const Arrival& a) { return due < a.due; });
    arrivals_.insert(it, Arrival{t, std::move(bytes)});
}

void FakeTerminalControl::set_line_responder(
    std::function<void(const std::string& line, Millis now)> responder) {
    responder_line_.clear();
    responder_ = [this, responder = std::move(responder)](const std::string& chunk, Millis now) {
        for (const char c : chunk) {
            if (c == '\r') {
                const std::string line = std::exchange(responder_line_, std::string());
                responder(line, now);
            } else {
                responder_line_ += c;
            }
        }
    };
}

void FakeTerminalControl::set_output_rate(int bytes_per_second) {
    output_rate_ = std::max(bytes_per_second, 0);
    drain_start_ = pump_.now_ms();
    drained_since_start_ = 0;
}

std::string FakeTerminalControl::disp_all() const {
    std::string all;
    for (const auto& s : disp_log_)
        all += s;
    return all;
}

int FakeTerminalControl::key_down(int key, platform::ShiftState shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
    return key;
}

char FakeTerminalControl::key_press(char key) {
    if (OnKeyPress) OnKeyPress(key);
    return key;
}

// ---- serial side ---------------------------------------------------------------

void FakeTerminalControl::set_PortOpen(bool open) {
    if (open && !open_) {
        if (open_error_) {
            const std::string text = *std::exchange(open_error_, std::nullopt);
            throw platform::TerminalError(text);
        }
        comm_event_ = 0;
        peer_gone_reported_ = false;
    }
    if (!open) {
        input_.clear();
        out_pending_.clear();
    }
    open_ = open;
}

std::string FakeTerminalControl::Input() {
    if (!open_) throw platform::TerminalError("Port is not open");
    std::size_t n = input_.size();
    if (input_len_ > 0) n = std::min(n, static_cast<std::size_t>(input_len_));
    std::string taken = input_.substr(0, n);
    input_.erase(0, n);
    return taken;
}

void FakeTerminalControl::set_Output(const std::string& bytes) {
    if (!open_) throw platform::TerminalError("Port is not open");
    sent_ += bytes;
    if (out_pending_.empty()) {
        drain_start_ = pump_.now_ms();
        drained_since_start_ = 0;
    }
    out_pending_ += bytes;
}

void FakeTerminalControl::set_InBufferCount(int n) {
    if (n == 0) input_.clear();
}

void FakeTerminalControl::set_OutBufferCount(int n) {
    if (n == 0) out_pending_.clear();
}

// ---- screen side ---------------------------------------------------------------

void FakeTerminalControl::set_Disp(const std::string& bytes) {
    disp_log_.push_back(bytes);
    ScreenSide::set_Disp(bytes);
}

std::string FakeTerminalControl::Text() const {
    return text_override_ ? *text_override_ : ScreenSide::Text();
}

void FakeTerminalControl::Scroll(platform::ScrollRequest request) {
    scroll_log_.push_back(request);
    ScreenSide::Scroll(request);
}

// ---- event source --------------------------------------------------------------

std::size_t FakeTerminalControl::drainable(Millis now) const {
    if (output_rate_ == 0) return out_pending_.size();
    const auto elapsed = static_cast<std::size_t>(std::max<Millis>(now - drain_start_, 0));
    const std::size_t total = elapsed * static_cast<std::size_t>(output_rate_) / 1000;
    return std::min(out_pending_.size(), total - std::min(total, drained_since_start_));
}

std::optional<Millis> FakeTerminalControl::next_due_ms() const {
    const Millis now = pump_.now_ms();
    if (failure_) return now;
    std::optional<Millis> next;
    auto consider = [&next](Millis t) {
        if (!next || t < *next) next = t;
    };
    if (!out_pending_.empty()) {
        if (output_rate_ == 0) {
            consider(now);
        } else {
            // The moment the next byte has left: ceil((drained + 1) * 1000 / rate).
            const auto rate = static_cast<Millis>(output_rate_);
            const auto bytes = static_cast<Millis>(drained_since_start_) + 1;
            consider(drain_start_ + (bytes * 1000 + rate - 1) / rate);
        }
    }
    if (!arrivals_.empty()) consider(arrivals_.front().due);
    if (peer_ != nullptr) {
        if (open_ && !peer_gone_reported_ && peer_->hung_up()) consider(now);
        if (const auto due = peer_->next_due_ms()) consider(*due);
    }
    return next;
}

void FakeTerminalControl::to_wire(const std::string& chunk, Millis now) {
    if (peer_ != nullptr) peer_->feed(chunk, now);
    if (responder_) responder_(chunk, now);
}

void FakeTerminalControl::raise_comm(int event) {
    comm_event_ = event;
    ++comm_events_raised_;
    if (OnComm) OnComm();
}

bool FakeTerminalControl::dispatch(Millis now) {
    bool delivered = false;

    if (failure_) {
        const int code = *std::exchange(failure_, std::nullopt);
        if (open_) {
            set_PortOpen(false);
            raise_comm(code);
            return true;
        }
    }

    // Output first, so a reply scheduled "now" by the responder or produced by
    // the controller at once arrives in this same dispatch.
    if (const std::size_t n = drainable(now); n > 0) {
        const std::string chunk = out_pending_.substr(0, n);
        out_pending_.erase(0, n);
        drained_since_start_ += n;
        delivered = true;
        to_wire(chunk, now);
    }

    bool arrived = false;
    while (!arrivals_.empty() && arrivals_.front().due <= now) {
        std::string bytes = std::move(arrivals_.front().bytes);
        arrivals_.pop_front();
        if (open_ && !bytes.empty()) {
            input_ += bytes;
            arrived = true;
        }
        delivered = true;
    }
    if (peer_ != nullptr) {
        const std::string bytes = peer_->read(now);
        if (open_ && !bytes.empty()) {
            input_ += bytes;
            arrived = true;
        }
        if (!bytes.empty()) delivered = true;
        if (open_ && !peer_gone_reported_ && peer_->hung_up()) {
            peer_gone_reported_ = true;
            if (arrived && r_threshold_ >= 1) raise_comm(platform::kCommEvReceive);
            set_PortOpen(false);
            raise_comm(platform::kCommErrorDeviceGone);
            return true;
        }
    }

    // Raised last: the handler may re-enter the pump and with it this source.
    if (arrived) {
        comm_event_ = platform::kCommEvReceive;
        if (r_threshold_ >= 1) raise_comm(platform::kCommEvReceive);
    }
    return delivered;
}

}  // namespace qvt::test
