// Exact bytes of command exchanges: echo, replies, prompts, error texts.
#include <gtest/gtest.h>

#include "tests/core/sim/sim_harness.h"

namespace kvb::sim::testing {
namespace {

struct Exchange {
    const char* name;
    std::vector<std::string> setup;  // lines sent first, replies ignored
    std::string input;               // raw bytes
    std::string expected;
    Options options = {};
};

Options paged(int lines) {
    Options o;
    o.page_lines = lines;
    return o;
}

class ExchangeTest : public ::testing::TestWithParam<Exchange> {};

TEST_P(ExchangeTest, RepliesExactly) {
    const Exchange& e = GetParam();
    Harness h(e.options);
    for (const auto& s : e.setup)
        h.line(s);
    EXPECT_EQ(h.send(e.input), e.expected);
}

const Exchange kExchanges[] = {
    {"Ver", {}, "VER\r", "VER\r\nKVB-68K Motion Controller Simulator  REV-2.05\r\n#"},
    {"EmptyLine", {}, "\r", "\r\n#"},
    {"PrintExpression", {}, "PRINT 1+2*3\r", "PRINT 1+2*3\r\n7\r\n#"},
    {"PrxHex", {}, "PRX 255\r", "PRX 255\r\nFF\r\n#"},
    {"DirectAssignThenPrint", {"A=5", "B$=\"hi\""}, "PRINT A*2;B$\r", "PRINT A*2;B$\r\n10hi\r\n#"},
    {"SyntaxError", {}, "PRINT (1\r", "PRINT (1\r\nSyntax error\r\n#"},
    {"BadProgramLine", {}, "10 PRINT (\r", "10 PRINT (\r\nSyntax error\r\n#"},
    {"ProgramLineStored", {}, "10 A=1\r", "10 A=1\r\n#"},
    {"Backspace",
     {},
     "VEX\bR\r",
     "VEX\b \bR\r\nKVB-68K Motion Controller Simulator  REV-2.05\r\n#"},
    {"CtrlAIdle", {}, "PRI\x01", "PRI\r\n#"},
    {"Echo0HidesTyping", {"ECHO 0"}, "PRINT 1\r", "\r\n1\r\n#"},
    {"EchoRestores", {"ECHO 0"}, "ECHO\r", "\r\n#"},
    {"Echo2SilentLine", {"ECHO 2"}, "A=1\r", "\r\n#"},
    {"Echo2ErrorDirectly", {"ECHO 2"}, "PRINT (\r", "Syntax error\r\n\r\n#"},
    {"Echo2ThenNormal", {"ECHO 2", "ECHO"}, "PRINT 3\r", "PRINT 3\r\n3\r\n#"},
    {"BkpEmpty", {}, "BKP\r", "BKP\r\n#"},
    {"BkpUnknownLine", {}, "BKP 100\r", "BKP 100\r\nUndefined line number\r\n#"},
    {"BkpList",
     {"10 A=1", "120 B=2", "BKP 120", "BKP 10"},
     "BKP\r",
     "BKP\r\nPOINT1=   120\r\nPOINT2=    10\r\n#"},
    // Point and MBK lines are listed back exactly as entered, in number order;
    // a line without data removes its entry.
    {"PointsListedAsEntered",
     {"PNT 2 5 6 7 8", "pnt 1  -1 +2 3 4", "PNT 3 1 1 1 1", "PNT 3 0 0 0 0"},
     "PLS -1\r",
     "PLS -1\r\npnt 1  -1 +2 3 4\r\nPNT 2 5 6 7 8\r\n#"},
    {"PointLineRefused", {}, "PNT 1 1 2 3\r", "PNT 1 1 2 3\r\n*Illegal point data\r\n#"},
    {"PointPagePause",
     {"PNT 1 1 1 1 1", "PNT 2 2 2 2 2", "PNT 3 3 3 3 3"},
     "PLS -1\rx ",
     "PLS -1\r\nPNT 1 1 1 1 1\r\nPNT 2 2 2 2 2\r\n?\rPNT 3 3 3 3 3\r\n#",
     paged(2)},
    // "Q" stops at the pause; the "q" a stopping host sends after it is not typed.
    {"PointPauseQuit",
     {"PNT 1 1 1 1 1", "PNT 2 2 2 2 2"},
     "PLS -1\rQqPRINT 1\r",
     "PLS -1\r\nPNT 1 1 1 1 1\r\n?\r\n#PRINT 1\r\n1\r\n#",
     paged(1)},
    {"MbkListedWithQuestionMarks",
     {"MB002 5 a? bc", "MB001 3  xy", "MB003 1 z", "MB003 0"},
     "S_MBK -1\r",
     "S_MBK -1\r\nMB001 3  xy\r\nMB002 5 a? bc\r\n#"},
    {"MbkCountMismatch", {}, "MB001 4 abc\r", "MB001 4 abc\r\n*Illegal MBK data\r\n#"},
    // Output points of every space read back in their banks.
    {"OutputsReadBackInBanks",
     {"ON 12", "ON 384", "ON 385", "OFF 384", "ON -9", "ON 2001"},
     "PRINT IN(1),IN(48),IN(-2),IN(2000)\r",
     "PRINT IN(1),IN(48),IN(-2),IN(2000)\r\n16\t2\t1\t2\r\n#"},
};

INSTANTIATE_TEST_SUITE_P(Sim, ExchangeTest, ::testing::ValuesIn(kExchanges),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Exchange, NothingIsSentBeforeTheHostSpeaks) {
    Harness h;
    EXPECT_EQ(h.at(1000), "");
    EXPECT_FALSE(h.controller.next_due_ms().has_value());
}

TEST(Exchange, InputBanksAreSetFromOutsideAndOneCanCount) {
    Options o;
    o.counting_bank = 25;
    o.count_interval_ms = 100;
    Harness h(o);
    EXPECT_TRUE(h.controller.set_bank(24, 5));
    EXPECT_FALSE(h.controller.set_bank(2512, 1));
    h.at(250);
    EXPECT_EQ(h.line("PRINT IN(24);\",\";IN(25)"), "PRINT IN(24);\",\";IN(25)\r\n5,2\r\n#");
}

}  // namespace
}  // namespace kvb::sim::testing
