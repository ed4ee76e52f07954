// An event pump whose waits can all be unwound at once, for the end of the
// program.
//
// How it works: every wait of the system blocks in the pump, possibly several
// levels deep (a transfer waiting for a prompt while a message box pumps
// events of its own). When the program ends, none of them may go on: an
// interrupted load must not send another line when a prompt finally comes.
// end_waits() marks the pump; from then on every call that would pump or
// block throws Unwind instead. Unwind is deliberately not a std::exception:
// the operations' recovery handlers (which report errors and send closing
// commands) let it pass, the guards on the way out restore the shared state
// and remove temporary files, and the front end's event dispatch swallows it
// silently, so the outermost event loop sees the quit and the process ends.
#pragma once

#include <memory>

#include "core/platform/event_pump.h"

namespace qvt::platform {

struct Unwind {};

class UnwindingPump final : public EventPump {
  public:
    explicit UnwindingPump(EventPump& inner) : inner_(inner) {}

    void end_waits() { ended_ = true; }
    bool ended() const { return ended_; }

    Millis now_ms() const override { return inner_.now_ms(); }
    void process_pending() override {
        check();
        inner_.process_pending();
        check();
    }
    void wait_for_event(Millis deadline_ms) override {
        check();
        inner_.wait_for_event(deadline_ms);
        check();
    }
    std::unique_ptr<Timer> create_timer() override { return inner_.create_timer(); }

  private:
    void check() const {
        if (ended_) throw Unwind{};
    }

    EventPump& inner_;
    bool ended_ = false;
};

}  // namespace qvt::platform
