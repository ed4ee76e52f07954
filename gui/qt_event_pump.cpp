#include "gui/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

namespace qvt::gui {

QtTimer::QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        // Copy: the callback may replace itself or destroy this timer's owner.
        if (auto cb = on_timeout_) cb();
    });
}

void QtTimer::start(platform::Millis interval_ms, bool repeating) {
    timer_.setSingleShot(!repeating);
    timer_.start(std::chrono::milliseconds(std::max<platform::Millis>(interval_ms, 0)));
}

void QtTimer::stop() {
    timer_.stop();
}

bool QtTimer::active() const {
    return timer_.isActive();
}

void QtTimer::set_callback(std::function<void()> on_timeout) {
    on_timeout_ = std::move(on_timeout);
}

QtEventPump::QtEventPump() : origin_(std::chrono::steady_clock::now()) {
    wake_.setTimerType(Qt::PreciseTimer);
    wake_.setSingleShot(true);
}

platform::Millis QtEventPump::now_ms() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 origin_)
        .count();
}

void QtEventPump::process_pending() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::wait_for_event(platform::Millis deadline_ms) {
    platform::Millis delay = kIdleWakeMs;
    if (deadline_ms >= 0) {
        delay = deadline_ms - now_ms();
        if (delay <= 0) {
            process_pending();
            return;
        }
    }
    // The wake-up is an event of its own, so WaitForMoreEvents returns at the
    // deadline even when nothing else happens.
    wake_.start(std::chrono::milliseconds(delay));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    wake_.stop();
}

std::unique_ptr<platform::Timer> QtEventPump::create_timer() {
    return std::make_unique<QtTimer>();
}

}  // namespace qvt::gui
