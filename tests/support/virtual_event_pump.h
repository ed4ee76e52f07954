// An event pump on a virtual clock, for tests: the clock moves only inside
// wait_for_event(), straight to the next posted event, source arrival, timer or
// deadline, so a time-out takes microseconds and always ends the same way. At
// one instant, posted events go first, then sources, then timers; all may
// re-enter the pump. A wait that could never end (nothing left to happen, past
// the time limit, or a source due that never delivers) throws VirtualDeadlock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/platform/event_pump.h"

namespace qvt::test {

using platform::Millis;

class VirtualDeadlock : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Something that produces events at known virtual times.
class VirtualEventSource {
  public:
    virtual ~VirtualEventSource() = default;
    // The earliest time at which dispatch() would deliver something; nothing
    // when the source is idle. May lie in the past (overdue).
    virtual std::optional<Millis> next_due_ms() const = 0;
    // Delivers what is due at now; true when anything was delivered.
    virtual bool dispatch(Millis now) = 0;
};

class VirtualEventPump : public platform::EventPump {
  public:
    VirtualEventPump();
    ~VirtualEventPump() override;
    VirtualEventPump(const VirtualEventPump&) = delete;
    VirtualEventPump& operator=(const VirtualEventPump&) = delete;

    Millis now_ms() const override { return now_; }
    void process_pending() override;
    void wait_for_event(Millis deadline_ms) override;
    std::unique_ptr<platform::Timer> create_timer() override;

    // ---- for tests ---------------------------------------------------------
    // Runs fn from the pump at the next dispatch / at virtual time t (a key
    // press, a click on Abort...).
    void post(std::function<void()> fn);
    void post_at(Millis t, std::function<void()> fn);
    // Dispatches everything due up to t; afterwards the clock stands at t
    // (or later, if a handler waited past it).
    void run_until(Millis t);
    void run_for(Millis ms) { run_until(now_ + ms); }

    void add_source(VirtualEventSource* source);
    void remove_source(VirtualEventSource* source);

    // Absolute virtual time beyond which a wait throws VirtualDeadlock.
    void set_time_limit(Millis t) { time_limit_ = t; }

    int active_timers() const;
    // How often code blocked in wait_for_event / asked for pending events. A
    // wait that polls instead of blocking shows up as a large count.
    std::uint64_t wait_calls() const { return wait_calls_; }

    struct TimerSlot;

  private:
    struct Posted {
        Millis due;
        std::uint64_t seq;
        std::function<void()> fn;
    };

    bool dispatch_due();
    std::optional<Millis> next_event_time() const;

    Millis now_ = 0;
    Millis time_limit_;
    std::uint64_t seq_ = 0;
    std::uint64_t wait_calls_ = 0;
    std::vector<Posted> posted_;
    std::vector<VirtualEventSource*> sources_;
    std::vector<std::weak_ptr<TimerSlot>> timers_;
};

}  // namespace qvt::test
