// CommOut round trips per second to kvbsim over a pty with the real Qt event
// loop: send "PRINT 1", collect the reply up to the prompt, again and again.
#include <QCoreApplication>
#include <chrono>
#include <cstdio>

#include "bench/link/bench_support.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kRounds = 2000;
    qvt::bench::SimLink link;
    if (!link.ready) return 1;
    auto& dialogue = link.dialogue;
    std::string reply;

    int wrong = 0;
    const double cpu_before = qvt::bench::cpu_ms();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) {
        dialogue.CommOut("PRINT 1", reply);
        if (reply.find('1') == std::string::npos) ++wrong;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = qvt::bench::cpu_ms() - cpu_before;
    const double rate = kRounds / seconds;

    std::printf("CommOut(\"PRINT 1\") round trips over a pty to kvbsim, real Qt event loop\n");
    std::printf("  rounds           %8d (%d replies without the value)\n", kRounds, wrong);
    std::printf("  wall time        %8.3f s\n", seconds);
    std::printf("  CPU time (ours)  %8.1f ms (%.1f us a round)\n", cpu, 1000.0 * cpu / kRounds);
    std::printf("  rate             %8.0f round trips/s (goal >= 2000/s)\n", rate);
    const bool met = rate >= 2000.0 && wrong == 0;
    std::printf("  %s\n", met ? "goal met" : "NOT met");
    return met ? 0 : 1;
}
