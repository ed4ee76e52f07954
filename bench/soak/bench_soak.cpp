// A fault soak: 1,000 program, point and MBK saves and loads in a row against
// the simulated controller with line faults, on the virtual clock; prints
// the outcomes and whether anything was lost. `bench_soak N SEED` runs N.
#include <cstdio>
#include <cstdlib>

#include "bench/soak/soak.h"

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 1000;
    const auto seed = static_cast<std::uint32_t>(argc > 2 ? std::atol(argv[2]) : 1);
    const qvt::soak::Report report = qvt::soak::run(iterations, seed);
    std::printf("Fault soak: %d transfers against the simulated controller, seed %u\n", iterations,
                seed);
    std::printf("%s", qvt::soak::table(report).c_str());
    std::printf("goal: no check fails (state back, old file whole, nothing cleared unasked): %s\n",
                report.failed_checks == 0 ? "met" : "NOT met");
    return report.failed_checks == 0 ? 0 : 1;
}
