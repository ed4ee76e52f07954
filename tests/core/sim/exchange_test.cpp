// Exact bytes of conversations with the simulated controller that no other
// test reads back: replies and errors, echo modes, the break point list and
// injected faults, in controller time. (The program store and its listing, its
// overflow, the load's conversation and a program stopped at a break point are
// checked by the transfer, debug and window tests that run on it.)
#include <gtest/gtest.h>

#include "tests/core/sim/sim_harness.h"

namespace kvb::sim::testing {
namespace {

struct Step {
    std::string send;  // raw bytes
    std::string expected;
    std::int64_t ms = 10;  // controller time that passes after sending
};

struct Script {
    const char* name;
    std::vector<std::string> setup;  // lines sent first, replies ignored
    std::vector<Step> steps;
    Options options = {};
};

const std::string kVer = "KVB-68K Motion Controller Simulator  REV-2.05\r\n#";

class ScriptTest : public ::testing::TestWithParam<Script> {};

TEST_P(ScriptTest, RepliesExactly) {
    const Script& s = GetParam();
    Harness h(s.options);
    for (const auto& line : s.setup)
        h.line(line);
    for (const Step& step : s.steps) {
        const std::int64_t until = h.now + step.ms;
        std::string out = h.send(step.send);
        out += h.drain(until);
        out += h.at(until);
        EXPECT_EQ(out, step.expected) << step.send;
    }
}

const Script kScripts[] = {
    {"PrintAndErrors",
     {"A=5", "B$=\"hi\""},
     {{"PRINT 1+2*3;A*2;B$\r", "PRINT 1+2*3;A*2;B$\r\n710hi\r\n#"},
      {"PRX 255\r", "PRX 255\r\nFF\r\n#"},
      {"PRINT (1\r", "PRINT (1\r\nSyntax error\r\n#"},
      {"VEX\bR\r", "VEX\b \bR\r\n" + kVer},
      {"PRI\x01", "PRI\r\n#"}}},
    {"Echo0HidesTypingUntilEcho",
     {"ECHO 0"},
     {{"PRINT 1\r", "\r\n1\r\n#"}, {"ECHO\r", "\r\n#"}, {"PRINT 3\r", "PRINT 3\r\n3\r\n#"}}},
    {"BreakPointsListed",
     {"10 A=1", "120 B=2", "BKP 120", "BKP 10"},
     {{"BKP 100\r", "BKP 100\r\nUndefined line number\r\n#"},
      {"BKP\r", "BKP\r\nPOINT1=   120\r\nPOINT2=    10\r\n#"}}},
    // Faults: a delayed reply cancelled by Ctrl-A, every second prompt dropped.
    {"CtrlACancelsADelayedReply",
     {},
     {{"VER\r", "VER\r\n"}, {"\x01", "\r\n#", 50}},
     {.reply_delay_ms = 50}},
    {"EverySecondPromptDropped",
     {},
     {{"PRINT 1\r", "PRINT 1\r\n1\r\n#"},
      {"PRINT 1\r", "PRINT 1\r\n1\r\n"},
      {"PRINT 1\r", "PRINT 1\r\n1\r\n#"}},
     {.drop_prompt_every = 2}},
};

INSTANTIATE_TEST_SUITE_P(Sim, ScriptTest, ::testing::ValuesIn(kScripts),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kvb::sim::testing
