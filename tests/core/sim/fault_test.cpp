// Fault injection: reply delay, baud pacing, dropped prompts, garbage, hang-up.
#include <gtest/gtest.h>

#include "tests/core/sim/sim_harness.h"

namespace kvb::sim::testing {
namespace {

const std::string kVerReply = "KVB-68K Motion Controller Simulator  REV-2.05\r\n#";

TEST(Fault, ReplyDelayHoldsTheReplyButNotTheEcho) {
    Options o;
    o.reply_delay_ms = 50;
    Harness h(o);
    EXPECT_EQ(h.send("VER\r"), "VER\r\n");
    EXPECT_EQ(h.controller.next_due_ms(), std::optional<std::int64_t>(50));
    EXPECT_EQ(h.at(49), "");
    EXPECT_EQ(h.at(50), kVerReply);
    EXPECT_FALSE(h.controller.next_due_ms().has_value());
}

TEST(Fault, CtrlACancelsADelayedReply) {
    Options o;
    o.reply_delay_ms = 50;
    Harness h(o);
    h.send("VER\r");
    h.at(10);
    EXPECT_EQ(h.send("\x01"), "");
    EXPECT_EQ(h.at(60), "\r\n#");
}

TEST(Fault, BaudRatePacesEveryByte) {
    Options o;
    o.baud = 1000;  // 10 ms a byte
    Harness h(o);
    EXPECT_EQ(h.send("PRINT 1\r"), "");
    const std::string whole = "PRINT 1\r\n1\r\n#";
    for (std::size_t n = 1; n <= whole.size(); ++n) {
        ASSERT_EQ(h.controller.next_due_ms(), std::optional<std::int64_t>(10 * n)) << n;
        EXPECT_EQ(h.at(static_cast<std::int64_t>(10 * n) - 1), "") << n;
        EXPECT_EQ(h.at(static_cast<std::int64_t>(10 * n)), whole.substr(n - 1, 1)) << n;
    }
    EXPECT_FALSE(h.controller.next_due_ms().has_value());
}

TEST(Fault, CtrlACutsOffAListingInProgress) {
    Options o;
    o.baud = 1000;
    Harness h(o);
    for (int n = 1; n <= 50; ++n)
        h.line(std::to_string(n) + " A=" + std::to_string(n));
    h.drain(1000000);
    const std::int64_t t0 = h.now;
    h.send("LIST 0 0\r");
    const std::string part = h.at(t0 + 200);
    EXPECT_EQ(part.size(), 20u);
    h.send("\x01");
    EXPECT_EQ(h.drain(t0 + 100000), "\r\n#");
}

struct PromptCase {
    bool always;
    int every;
    std::vector<std::string> replies;
};

class DropPromptTest : public ::testing::TestWithParam<PromptCase> {};

TEST_P(DropPromptTest, DropsThePromptOnly) {
    Options o;
    o.drop_prompt = GetParam().always;
    o.drop_prompt_every = GetParam().every;
    Harness h(o);
    for (const auto& expected : GetParam().replies)
        EXPECT_EQ(h.send("PRINT 1\r"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sim, DropPromptTest,
    ::testing::Values(PromptCase{true, 0, {"PRINT 1\r\n1\r\n", "PRINT 1\r\n1\r\n"}},
                      PromptCase{false,
                                 2,
                                 {"PRINT 1\r\n1\r\n#", "PRINT 1\r\n1\r\n", "PRINT 1\r\n1\r\n#",
                                  "PRINT 1\r\n1\r\n"}}));

TEST(Fault, HangUpByRequestOrCommandDropsPendingOutput) {
    Options o;
    o.reply_delay_ms = 10;
    Harness a(o);
    a.send("VER\r");
    a.controller.hang_up();
    EXPECT_TRUE(a.controller.hung_up());
    EXPECT_EQ(a.at(100), "");

    Harness b;
    b.send("HANGUP\r");
    EXPECT_TRUE(b.controller.hung_up());
}

TEST(Fault, APrintingProgramWaitsForASlowLine) {
    Options o;
    o.baud = 10000;  // 1 ms a byte
    Harness h(o);
    h.send("10 N=N+1 : PRINT N : GOTO 10\rRUN\r");
    const std::string out = h.drain(1000);
    const std::string head = "10 N=N+1 : PRINT N : GOTO 10\r\n#RUN\r\n";
    ASSERT_EQ(out.substr(0, head.size()), head);
    EXPECT_LE(out.size(), 1000u);
    // Every printed number follows the one before: nothing was lost or skipped.
    std::string expected;
    int printed = 0;
    while (expected.size() < out.size() - head.size())
        expected += std::to_string(++printed) + "\r\n";
    EXPECT_EQ(out.substr(head.size()), expected.substr(0, out.size() - head.size()));
    h.send("\x01");
    h.drain(h.now + 1000);
    h.send("PRINT N\r");
    const std::string reply = h.drain(h.now + 1000);
    // The program waited for its output instead of racing ahead of the line.
    const long n = std::stol(reply.substr(std::string("PRINT N\r\n").size()));
    EXPECT_GT(n, printed);
    EXPECT_LT(n, printed + 100);
}

}  // namespace
}  // namespace kvb::sim::testing
