// The event pump, clock and timers on the Qt event loop.
//
// How it works: now_ms() reads a steady clock. process_pending() runs
// whatever the loop has queued; wait_for_event() blocks in the loop until one
// event has been handled, with a precise single-shot timer as wake-up at the
// deadline (and a slow one for waits without a deadline, so a loop that
// dispatched nothing visible still comes back and looks again). Timers are
// QTimers of the precise kind: the coarse kind may fire up to 5% early, which
// the controller's time-outs cannot have.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

#include "core/platform/event_pump.h"

namespace qvt::gui {

class QtTimer : public platform::Timer {
  public:
    QtTimer();
    void start(platform::Millis interval_ms, bool repeating) override;
    void stop() override;
    bool active() const override;
    void set_callback(std::function<void()> on_timeout) override;

  private:
    QTimer timer_;
    std::function<void()> on_timeout_;
};

class QtEventPump : public platform::EventPump {
  public:
    QtEventPump();
    platform::Millis now_ms() const override;
    void process_pending() override;
    void wait_for_event(platform::Millis deadline_ms) override;
    std::unique_ptr<platform::Timer> create_timer() override;

    // How long a wait without a deadline may stay blocked before looking again.
    static constexpr platform::Millis kIdleWakeMs = 1000;

  private:
    std::chrono::steady_clock::time_point origin_;
    QTimer wake_;
};

}  // namespace qvt::gui
