// Timing of the simulated controller: baud pacing and reads that stay
// bounded. (Its hang-up is what the headless end-to-end test's vanishing port
// runs on.)
#include <gtest/gtest.h>

#include "tests/core/sim/sim_harness.h"

namespace kvb::sim::testing {
namespace {

TEST(Fault, BaudRatePacesEveryByte) {
    Harness h({.baud = 1000});  // 10 ms a byte
    EXPECT_EQ(h.send("PRINT 1\r"), "");
    const std::string whole = "PRINT 1\r\n1\r\n#";
    for (std::size_t n = 1; n <= whole.size(); ++n) {
        ASSERT_EQ(h.controller.next_due_ms(), std::optional<std::int64_t>(10 * n)) << n;
        EXPECT_EQ(h.at(static_cast<std::int64_t>(10 * n) - 1), "") << n;
        EXPECT_EQ(h.at(static_cast<std::int64_t>(10 * n)), whole.substr(n - 1, 1)) << n;
    }
    EXPECT_FALSE(h.controller.next_due_ms().has_value());
}

// Each read runs a bounded number of steps however far behind the program is,
// so an endless program never blocks the caller.
TEST(Fault, EndlessLoopKeepsReadsBoundedAndStopsOnCtrlA) {
    Harness h({.max_steps_per_read = 500});
    h.line("10 *LOOP: N=N+1");
    h.line("20 GOTO *LOOP");
    h.line("RUN");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(h.at(1000), "");
    EXPECT_LE(h.controller.next_due_ms().value_or(1001), 1000);  // more is due: poll again
    EXPECT_EQ(h.send("\x01"), "\r\n#");
    // RUN's own read ran one step: 5001 steps of 3 a turn; N=N+1 is each turn's 2nd.
    EXPECT_EQ(h.line("PRINT N"), "PRINT N\r\n1667\r\n#");
}

}  // namespace
}  // namespace kvb::sim::testing
