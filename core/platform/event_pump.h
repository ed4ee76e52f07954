// Event pump, clock and timers.
//
// How it works: everything runs on one thread. Long operations (waiting for the
// controller's prompt, pauses between transfer steps) do not block that thread
// in a sleep; they call process_pending() to let queued events run (window
// messages, serial arrivals, due timers), and when they have nothing to do they
// call wait_for_event(), which blocks inside the pump until an event arrives or
// the deadline passes. A wait therefore costs no CPU while the line is silent
// and still sees data in the very dispatch that delivers it.
//
// All time is read through now_ms(), a monotonic millisecond clock. The Qt
// implementation uses a steady clock and precise timers; tests use a virtual
// clock that jumps straight to the next due timer or deadline, so 2 s time-outs
// run in microseconds and deterministically.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace qvt::platform {

using Millis = std::int64_t;

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since an arbitrary origin.
    virtual Millis now_ms() const = 0;
};

// A timer belongs to whoever created it; destroying it stops it.
class Timer {
  public:
    virtual ~Timer() = default;
    // Starts (or restarts) the timer; the callback runs from the pump every
    // interval_ms, or once when repeating is false.
    virtual void start(Millis interval_ms, bool repeating) = 0;
    virtual void stop() = 0;
    virtual bool active() const = 0;
    virtual void set_callback(std::function<void()> on_timeout) = 0;
};

class EventPump : public Clock {
  public:
    // Dispatches whatever is pending now, without blocking.
    virtual void process_pending() = 0;
    // Blocks until at least one event was dispatched or the clock reaches
    // deadline_ms (a negative deadline waits without limit). Returns at once
    // when events are already pending.
    virtual void wait_for_event(Millis deadline_ms) = 0;
    virtual std::unique_ptr<Timer> create_timer() = 0;
};

}  // namespace qvt::platform
