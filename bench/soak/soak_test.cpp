// A short fault soak: 50 transfers with line faults lose nothing.
#include <gtest/gtest.h>

#include "bench/soak/soak.h"

TEST(FaultSoak, FiftyTransfersWithLineFaultsLoseNothing) {
    const qvt::soak::Report report = qvt::soak::run(50, 7);
    EXPECT_EQ(report.iterations, 50);
    EXPECT_EQ(report.failed_checks, 0) << qvt::soak::table(report);
}
