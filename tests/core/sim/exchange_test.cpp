// The simulated controller in controller time: exact bytes of conversations
// that no other test reads back (replies and errors, echo modes, the break
// point list, injected faults), its baud pacing, and reads that stay bounded.
// (The program store and its listing, its overflow, the load's conversation
// and a program stopped at a break point are checked by the transfer, debug
// and window tests that run on it; its hang-up is what the headless
// end-to-end test's vanishing port runs on.)
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/controller.h"

namespace kvb::sim::testing {
namespace {

// Drives the controller under a virtual clock.
struct Harness {
    explicit Harness(Options options = {}) : controller(std::move(options)) {}

    // Sends bytes at the current time and returns what is readable then.
    std::string send(std::string_view bytes) {
        controller.feed(bytes, now);
        return controller.read(now);
    }
    // Sends a line, CR appended.
    std::string line(std::string_view text) { return send(std::string(text) + "\r"); }
    // Advances the clock to t and returns the output due by then.
    std::string at(std::int64_t t) {
        now = t;
        return controller.read(now);
    }
    // Follows next_due_ms() until the controller is quiet or the limit is reached.
    std::string drain(std::int64_t limit_ms) {
        std::string out = controller.read(now);
        while (auto due = controller.next_due_ms()) {
            if (*due > limit_ms) break;
            now = std::max(now, *due);
            out += controller.read(now);
        }
        return out;
    }

    Controller controller;
    std::int64_t now = 0;
};

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

TEST(Sim, RepliesExactly) {
    for (const Script& s : kScripts) {
        SCOPED_TRACE(s.name);
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
}

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
