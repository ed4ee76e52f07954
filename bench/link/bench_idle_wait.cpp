// CPU used by a 10 s Wait_Prompt on a silent line: the real Qt event loop,
// the Qt control on a pty to kvbsim. A wait must block in the loop, not poll.
// At the end a timer sends a CR, whose prompt ends the wait.
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "bench/link/bench_support.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kWaitMs = 10000;
    qvt::bench::SimLink link;
    if (!link.ready) return 1;
    auto& term = link.term;
    auto& dialogue = link.dialogue;

    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    QObject::connect(&end, &QTimer::timeout, [&] { term.set_Output("\r"); });
    end.start(kWaitMs);

    const double cpu_before = qvt::bench::cpu_ms();
    const auto wall_before = std::chrono::steady_clock::now();
    dialogue.Wait_Prompt();
    const double wall_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_before)
            .count();
    const double cpu = qvt::bench::cpu_ms() - cpu_before;
    const double percent = 100.0 * cpu / wall_ms;

    std::printf("idle Wait_Prompt over a pty to kvbsim, real Qt event loop\n");
    std::printf("  wall time        %8.0f ms\n", wall_ms);
    std::printf("  CPU time         %8.1f ms\n", cpu);
    std::printf("  CPU load         %8.3f %% of one core (goal < 1 %%)\n", percent);
    const bool met = percent < 1.0 && wall_ms >= kWaitMs;
    std::printf("  %s\n", met ? "goal met" : "NOT met");
    return met ? 0 : 1;
}
