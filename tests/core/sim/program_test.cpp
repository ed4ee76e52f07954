// The program store as seen over the line: entry, LIST, RENUM, NEW, the load's
// ECHO 2 numbering, overflow.
#include <gtest/gtest.h>

#include "tests/core/sim/sim_harness.h"

namespace kvb::sim::testing {
namespace {

// The reply of a command without its echo line and the final prompt.
std::string reply(Harness& h, std::string_view command) {
    std::string r = h.line(command);
    const std::size_t echo_end = r.find("\r\n");
    EXPECT_NE(echo_end, std::string::npos);
    EXPECT_EQ(r.back(), '#');
    return r.substr(echo_end + 2, r.size() - echo_end - 3);
}

TEST(Program, LinesAreKeptSortedReplacedAndDeleted) {
    Harness h;
    h.line("30 C=3");
    h.line("10 A=1");
    h.line("20 B=2");
    h.line("10   A=11");
    h.line("30");
    EXPECT_EQ(reply(h, "LIST 0 0"), "10\tA=11\r\n20\tB=2\r\n");
}

TEST(Program, ListRanges) {
    Harness h;
    for (int n = 10; n <= 300; n += 10)
        h.line(std::to_string(n) + " A=" + std::to_string(n));
    struct Case {
        const char* command;
        std::string first, last;
        int lines;
    };
    const Case cases[] = {
        {"LIST", "10\tA=10", "300\tA=300", 30},
        {"LIST 0 20", "10\tA=10", "200\tA=200", 20},
        {"LIST 15", "20\tA=20", "210\tA=210", 20},
        {"LIST 290 5", "290\tA=290", "300\tA=300", 2},
    };
    for (const Case& c : cases) {
        const std::string r = reply(h, c.command);
        int count = 0;
        for (std::size_t p = 0; (p = r.find("\r\n", p)) != std::string::npos; p += 2)
            ++count;
        EXPECT_EQ(count, c.lines) << c.command;
        EXPECT_EQ(r.substr(0, c.first.size()), c.first) << c.command;
        EXPECT_NE(r.find(c.last + "\r\n"), std::string::npos) << c.command;
    }
    EXPECT_EQ(reply(h, "LIST 999"), "");
    EXPECT_EQ(h.line("LIST X"), "LIST X\r\nSyntax error\r\n#");
}

TEST(Program, ListKeepsCommentsAndQuotesVerbatim) {
    Harness h;
    h.line("10 PRINT \"a'b#c\" ' note");
    EXPECT_EQ(reply(h, "LIST"), "10\tPRINT \"a'b#c\" ' note\r\n");
}

TEST(Program, RenumberFollowsJumpTargetsAndBreakPoints) {
    Harness h;
    h.line("5 A=0 : TASK 7, 12");  // task 7, not line 7
    h.line("7 A=A+1 : IF A<3 THEN 7 ELSE 9");
    h.line("9 GOSUB 12 : PRINT \"GOTO 7\"");
    h.line("12 RETURN ' GOTO 5");
    h.line("BKP 9");
    h.line("RENUM 10");
    EXPECT_EQ(reply(h, "LIST"),
              "10\tA=0 : TASK 7, 40\r\n20\tA=A+1 : IF A<3 THEN 20 ELSE 30\r\n"
              "30\tGOSUB 40 : PRINT \"GOTO 7\"\r\n40\tRETURN ' GOTO 5\r\n");
    EXPECT_EQ(reply(h, "BKP"), "POINT1=    30\r\n");
    h.line("RENUM");
    EXPECT_EQ(reply(h, "LIST 10 1"), "10\tA=0 : TASK 7, 40\r\n");
    EXPECT_EQ(h.line("RENUM 30000"), "RENUM 30000\r\nLine number out of range\r\n#");
}

// The program load's conversation: NEW, ECHO 2, unnumbered lines each answered
// so that the host sees its acknowledgement, the closing blanks, ECHO, RENUM 10.
TEST(Program, LoadConversationNumbersLinesAndRenumbers) {
    Harness h;
    h.line("10 OLD=1");
    EXPECT_EQ(h.line("NEW"), "NEW\r\n#");
    EXPECT_EQ(h.line("ECHO 2"), "ECHO 2\r\n#");
    EXPECT_EQ(h.line("*START: A=0"), "\r\n#");
    EXPECT_EQ(h.line("A=A+1 ' count"), "\r\n#");
    EXPECT_EQ(h.line("IF A<3 THEN *START"), "\r\n#");
    EXPECT_EQ(h.line("PRINT ("), "Syntax error\r\n\r\n#");
    EXPECT_EQ(h.line("END"), "\r\n#");
    EXPECT_EQ(h.send(" \r \r"), "\r\n#\r\n#");
    EXPECT_EQ(h.send("ECHO\r\r"), "\r\n#\r\n#");
    EXPECT_EQ(h.line("RENUM 10"), "RENUM 10\r\n#");
    EXPECT_EQ(reply(h, "LIST 0 0"),
              "10\t*START: A=0\r\n20\tA=A+1 ' count\r\n30\tIF A<3 THEN *START\r\n40\tEND\r\n");
}

TEST(Program, OverflowRefusesTheLineAndKeepsTheRest) {
    Options o;
    o.program_area_bytes = 20;  // each line costs its text + 4
    Harness h(o);
    EXPECT_EQ(h.line("10 A=1"), "10 A=1\r\n#");    // 7 bytes
    EXPECT_EQ(h.line("20 B=22"), "20 B=22\r\n#");  // 15 bytes
    EXPECT_EQ(h.line("30 C=3"), "30 C=3\r\nProgram area is over flowed\r\n#");
    EXPECT_EQ(h.line("20 B=2"), "20 B=2\r\n#");  // replacing frees room
    EXPECT_EQ(reply(h, "LIST"), "10\tA=1\r\n20\tB=2\r\n");
}

TEST(Program, OverflowInLoadModeIsTheLinesOnlyAnswer) {
    Options o;
    o.program_area_bytes = 10;
    Harness h(o);
    h.line("ECHO 2");
    EXPECT_EQ(h.line("A=1"), "\r\n#");
    EXPECT_EQ(h.line("B=2"), "Program area is over flowed\r\n");
    EXPECT_EQ(h.line("ECHO"), "\r\n#");
}

}  // namespace
}  // namespace kvb::sim::testing
