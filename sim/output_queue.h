// The controller's transmitter: bytes with the times at which they are due.
//
// Every byte written gets a due time: not before the time its writer asks for
// (the moment of the command, or that plus the reply delay), and, when a baud
// rate is set, not before the previous byte has left the line (10 bit times a
// byte). take_due(now) hands out the bytes due by now, in order. Line faults
// live here too: a garbage byte after every n bytes written, a hang-up after a
// number of bytes handed out (the rest is lost and nothing more is sent), and
// cancelling what is not yet sent (Ctrl-A cuts off a listing in progress).
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "sim/controller.h"

namespace kvb::sim {

class OutputQueue {
  public:
    explicit OutputQueue(const Options& options);

    void write(std::string_view bytes, std::int64_t not_before_ms);
    std::string take_due(std::int64_t now_ms);
    // Drops every byte not yet due at now.
    void cancel_pending(std::int64_t now_ms);
    std::optional<std::int64_t> next_due_ms() const;
    // Bytes written but not yet handed out.
    std::size_t backlog() const { return queue_.size(); }
    // The last byte written (garbage aside) was LF, or nothing was written yet.
    bool at_line_start() const { return at_line_start_; }

    void hang_up();
    bool hung_up() const { return hung_up_; }

  private:
    struct Byte {
        char c;
        double due_ms;
    };
    void push(char c, double not_before);
    char garbage_byte();

    std::deque<Byte> queue_;
    double byte_ms_;
    double line_free_ms_ = 0;
    int garbage_every_;
    long long hang_up_after_;
    long long written_ = 0;
    long long delivered_ = 0;
    std::uint32_t rng_;
    bool at_line_start_ = true;
    bool hung_up_ = false;
};

}  // namespace kvb::sim
