// Helpers of the GUI tests: running the real event loop until something
// happens.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace qvt::test {

// Runs the event loop until pred() holds or timeout_ms passed; returns pred().
template <typename Pred>
bool pump_until(Pred pred, int timeout_ms = 3000) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick;  // the loop must come back to look at pred() even when idle
    tick.start(10);
    while (!pred() && clock.elapsed() < timeout_ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return pred();
}

// Runs the event loop for ms milliseconds.
inline void pump_for(int ms) {
    QElapsedTimer clock;
    clock.start();
    pump_until([&] { return clock.elapsed() >= ms; }, ms + 1000);
}

}  // namespace qvt::test
