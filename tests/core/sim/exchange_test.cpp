// Exact bytes of conversations with the simulated controller: replies, echo
// modes, the program store, running programs and injected faults, in
// controller time. (The load's conversation, the reply delay and the dropped
// prompt are checked by the transfer and link tests that run on it.)
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

// Lines "10 A=10" ... to "last A=last".
std::vector<std::string> numbered(int last) {
    std::vector<std::string> lines;
    for (int n = 10; n <= last; n += 10)
        lines.push_back(std::to_string(n) + " A=" + std::to_string(n));
    return lines;
}

// LIST's reply for the lines of numbered() from first to last, after its echo.
std::string listed(const std::string& command, int first, int last) {
    std::string out = command + "\r\n";
    for (int n = first; n <= last; n += 10)
        out += std::to_string(n) + "\tA=" + std::to_string(n) + "\r\n";
    return out + "#";
}

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
    {"Ver", {}, {{"VER\r", "VER\r\n" + kVer}}},
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
    {"LinesKeptSortedReplacedDeletedAndVerbatim",
     {"30 C=3", "10 A=1", "20 B=2", "10   A=11", "30", "40 PRINT \"a'b#c\" ' note"},
     {{"LIST 0 0\r", "LIST 0 0\r\n10\tA=11\r\n20\tB=2\r\n40\tPRINT \"a'b#c\" ' note\r\n#"}}},
    {"ListRanges",
     numbered(300),
     {{"LIST\r", listed("LIST", 10, 300)},
      {"LIST 0 20\r", listed("LIST 0 20", 10, 200)},
      {"LIST 290 5\r", listed("LIST 290 5", 290, 300)},
      {"LIST X\r", "LIST X\r\nSyntax error\r\n#"}}},
    // Each line costs its text + 4 bytes.
    {"OverflowRefusesTheLineAndKeepsTheRest",
     {"10 A=1", "20 B=22"},
     {{"30 C=3\r", "30 C=3\r\nProgram area is over flowed\r\n#"},
      {"20 B=2\r", "20 B=2\r\n#"},  // replacing frees room
      {"LIST\r", "LIST\r\n10\tA=1\r\n20\tB=2\r\n#"},
      {"ECHO 2\r", "ECHO 2\r\n#"},
      {"B=2\r", "Program area is over flowed\r\n"}},
     {.program_area_bytes = 20}},
    // While paused, commands work and come back to the break prompt; a trace
    // runs the whole line; Ctrl-C before the prompt tells the host the break is over.
    {"BreakPointPromptContinueTraceAndEdit",
     {"10 A=1", "20 A=A+1 : A=A*1", "30 A=A+10", "40 PRINT A", "BKP 20"},
     {{"RUN\r", "RUN\r\nBreak at 20\r\n#?"},
      {"PRINT A\r", "PRINT A\r\n1\r\n#?"},
      {"20 A=5\r", "20 A=5\r\nCan't Edit\r\n#?"},
      {"NEW\r", "NEW\r\nCan't Edit\r\n#?"},
      {"MON\r", "MON\r\nTasks:\tTask1[20]\r\n#?"},
      {"t\r", "t\r\nTrace at 30\r\n#?"},
      {"PRINT A\r", "PRINT A\r\n2\r\n#?"},
      {"n\r", "n\r\n12\r\n\x03\r\n#"}}},
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
