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
    // Point and MBK lines are listed back exactly as entered, in number order;
    // a line without data removes its entry.
    {"PointsListedAsEntered",
     {"PNT 2 5 6 7 8", "pnt 1  -1 +2 3 4", "PNT 3 1 1 1 1", "PNT 3 0 0 0 0"},
     {{"PLS -1\r", "PLS -1\r\npnt 1  -1 +2 3 4\r\nPNT 2 5 6 7 8\r\n#"},
      {"PNT 1 1 2 3\r", "PNT 1 1 2 3\r\n*Illegal point data\r\n#"}}},
    {"PointPagePause",
     {"PNT 1 1 1 1 1", "PNT 2 2 2 2 2", "PNT 3 3 3 3 3"},
     {{"PLS -1\rx ", "PLS -1\r\nPNT 1 1 1 1 1\r\nPNT 2 2 2 2 2\r\n?\rPNT 3 3 3 3 3\r\n#"},
      // "Q" stops at the pause; the "q" a stopping host sends after it is not typed.
      {"PLS -1\rQqPRINT 1\r",
       "PLS -1\r\nPNT 1 1 1 1 1\r\nPNT 2 2 2 2 2\r\n?\r\n#PRINT 1\r\n1\r\n#"}},
     {.page_lines = 2}},
    {"MbkListedWithQuestionMarks",
     {"MB002 5 a? bc", "MB001 3  xy", "MB003 1 z", "MB003 0"},
     {{"S_MBK -1\r", "S_MBK -1\r\nMB001 3  xy\r\nMB002 5 a? bc\r\n#"},
      {"MB001 4 abc\r", "MB001 4 abc\r\n*Illegal MBK data\r\n#"}}},
    // Output points of every space read back in their banks; bank 25 counts by itself.
    {"OutputsReadBackInBanks",
     {"ON 12", "ON 384", "ON 385", "OFF 384", "ON -9", "ON 2001"},
     {{"PRINT IN(1),IN(48),IN(-2),IN(2000)\r",
       "PRINT IN(1),IN(48),IN(-2),IN(2000)\r\n16\t2\t1\t2\r\n#"},
      {"", "", 240},
      {"PRINT IN(25)\r", "PRINT IN(25)\r\n2\r\n#"}},
     {.counting_bank = 25}},
    {"LinesKeptSortedReplacedDeletedAndVerbatim",
     {"30 C=3", "10 A=1", "20 B=2", "10   A=11", "30", "40 PRINT \"a'b#c\" ' note"},
     {{"LIST 0 0\r", "LIST 0 0\r\n10\tA=11\r\n20\tB=2\r\n40\tPRINT \"a'b#c\" ' note\r\n#"}}},
    {"ListRanges",
     numbered(300),
     {{"LIST\r", listed("LIST", 10, 300)},
      {"LIST 0 20\r", listed("LIST 0 20", 10, 200)},
      {"LIST 15\r", listed("LIST 15", 20, 210)},
      {"LIST 290 5\r", listed("LIST 290 5", 290, 300)},
      {"LIST 999\r", "LIST 999\r\n#"},
      {"LIST X\r", "LIST X\r\nSyntax error\r\n#"}}},
    {"RenumberFollowsJumpTargetsAndBreakPoints",
     {"5 A=0 : TASK 7, 12",  // task 7, not line 7
      "7 A=A+1 : IF A<3 THEN 7 ELSE 9", "9 GOSUB 12 : PRINT \"GOTO 7\"", "12 RETURN ' GOTO 5",
      "BKP 9", "RENUM 10"},
     {{"LIST\r",
       "LIST\r\n10\tA=0 : TASK 7, 40\r\n20\tA=A+1 : IF A<3 THEN 20 ELSE 30\r\n"
       "30\tGOSUB 40 : PRINT \"GOTO 7\"\r\n40\tRETURN ' GOTO 5\r\n#"},
      {"BKP\r", "BKP\r\nPOINT1=    30\r\n#"},
      {"RENUM 30000\r", "RENUM 30000\r\nLine number out of range\r\n#"}}},
    // Each line costs its text + 4 bytes.
    {"OverflowRefusesTheLineAndKeepsTheRest",
     {"10 A=1", "20 B=22"},
     {{"30 C=3\r", "30 C=3\r\nProgram area is over flowed\r\n#"},
      {"20 B=2\r", "20 B=2\r\n#"},  // replacing frees room
      {"LIST\r", "LIST\r\n10\tA=1\r\n20\tB=2\r\n#"},
      {"ECHO 2\r", "ECHO 2\r\n#"},
      {"B=2\r", "Program area is over flowed\r\n"}},
     {.program_area_bytes = 20}},
    {"ProgramRunsToItsEnd",
     {"10 A=2", "20 FOR I=1 TO 3", "30 A=A*2", "40 NEXT I", "50 GOSUB *SHOW", "60 END",
      "70 *SHOW: PRINT \"A=\";A", "80 RETURN"},
     {{"RUN\r", "RUN\r\nA=16\r\n#", 100}}},
    {"WaitHoldsTheProgramInControllerTime",
     {"10 PRINT \"a\"", "20 WAIT 100", "30 PRINT \"b\""},
     {{"RUN\r", "RUN\r\na\r\n", 99}, {"", "b\r\n#", 2}}},
    {"RuntimeErrorNamesTheLine",
     {"10 PRINT \"x\";", "20 A=1/0"},
     {{"RUN\r", "RUN\r\nx\r\nDivision by zero in 20\r\n#"},
      {"CONT\r", "CONT\r\nCan't continue\r\n#"}}},
    {"StopThenContResumes",
     {"10 PRINT 1", "20 STOP", "30 PRINT 2"},
     {{"RUN\r", "RUN\r\n1\r\nStop at 20\r\n#"},
      {"MON\r", "MON\r\nTasks:\tTask1[30]\r\n#"},
      {"CONT\r", "CONT\r\n2\r\n#"}}},
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
    {"BreakPointStopsEveryPassAndCtrlAEnds",
     {"10 *TOP: PRINT \"x\"", "20 GOTO *TOP", "BKP 10"},
     {{"RUN\r", "RUN\r\nBreak at 10\r\n#?"},
      {"CONT\r", "CONT\r\nx\r\nBreak at 10\r\n#?"},
      {"\x01", "\x03\r\n#"},
      {"10 PRINT \"edited\"\r", "10 PRINT \"edited\"\r\n#"}}},
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
