#include "sim/output_queue.h"

#include <algorithm>
#include <cmath>

namespace kvb::sim {

OutputQueue::OutputQueue(const Options& options)
    : byte_ms_(options.baud > 0 ? 10000.0 / options.baud : 0.0),
      garbage_every_(options.garbage_every),
      hang_up_after_(options.hang_up_after_bytes),
      rng_(options.seed == 0 ? 1u : options.seed) {}

char OutputQueue::garbage_byte() {
    // xorshift32: deterministic per seed; high-bit bytes, like noise on the line.
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return static_cast<char>(0x80 | (rng_ & 0x7F));
}

void OutputQueue::push(char c, double not_before) {
    const double start = std::max(not_before, line_free_ms_);
    const double due = start + byte_ms_;
    line_free_ms_ = due;
    queue_.push_back(Byte{c, due});
}

void OutputQueue::write(std::string_view bytes, std::int64_t not_before_ms) {
    if (hung_up_) return;
    for (char c : bytes) {
        push(c, static_cast<double>(not_before_ms));
        at_line_start_ = c == '\n';
        ++written_;
        if (garbage_every_ > 0 && written_ % garbage_every_ == 0) {
            push(garbage_byte(), static_cast<double>(not_before_ms));
        }
    }
}

std::string OutputQueue::take_due(std::int64_t now_ms) {
    std::string out;
    const auto now = static_cast<double>(now_ms);
    while (!hung_up_ && !queue_.empty() && queue_.front().due_ms <= now) {
        out += queue_.front().c;
        queue_.pop_front();
        ++delivered_;
        if (hang_up_after_ > 0 && delivered_ >= hang_up_after_) hang_up();
    }
    return out;
}

void OutputQueue::cancel_pending(std::int64_t now_ms) {
    const auto now = static_cast<double>(now_ms);
    while (!queue_.empty() && queue_.back().due_ms > now)
        queue_.pop_back();
    line_free_ms_ = queue_.empty() ? std::min(line_free_ms_, now) : queue_.back().due_ms;
}

std::optional<std::int64_t> OutputQueue::next_due_ms() const {
    if (hung_up_ || queue_.empty()) return std::nullopt;
    return static_cast<std::int64_t>(std::ceil(queue_.front().due_ms));
}

void OutputQueue::hang_up() {
    hung_up_ = true;
    queue_.clear();
}

}  // namespace kvb::sim
