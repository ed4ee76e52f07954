// Running programs in controller time: output, waits, stop, break points, errors.
#include <gtest/gtest.h>

#include "tests/core/sim/sim_harness.h"

namespace kvb::sim::testing {
namespace {

void load(Harness& h, std::initializer_list<const char*> lines) {
    for (const char* l : lines)
        h.line(l);
}

// A command line and everything that follows it within limit_ms of controller time.
std::string until_quiet(Harness& h, std::string_view command, std::int64_t limit_ms = 10) {
    const std::string first = h.line(command);
    return first + h.drain(h.now + limit_ms);
}

TEST(Run, StraightProgramEndsWithPrompt) {
    Harness h;
    load(h, {"10 A=2", "20 FOR I=1 TO 3", "30 A=A*2", "40 NEXT I", "50 GOSUB *SHOW", "60 END",
             "70 *SHOW: PRINT \"A=\";A", "80 RETURN"});
    EXPECT_EQ(until_quiet(h, "RUN", 100), "RUN\r\nA=16\r\n#");
    EXPECT_FALSE(h.controller.next_due_ms().has_value());
}

TEST(Run, WaitHoldsTheProgramInControllerTime) {
    Harness h;
    load(h, {"10 PRINT \"a\"", "20 WAIT 100", "30 PRINT \"b\""});
    EXPECT_EQ(h.line("RUN"), "RUN\r\na\r\n");
    EXPECT_EQ(h.at(99), "");
    ASSERT_TRUE(h.controller.next_due_ms().has_value());
    EXPECT_GE(*h.controller.next_due_ms(), 100);
    EXPECT_LE(*h.controller.next_due_ms(), 101);
    EXPECT_EQ(h.at(101), "b\r\n#");
}

TEST(Run, EndlessLoopStopsOnCtrlAAndReadStaysBounded) {
    Options o;
    o.max_steps_per_read = 500;
    Harness h(o);
    load(h, {"10 *LOOP: N=N+1", "20 GOTO *LOOP"});
    h.line("RUN");
    // A whole second of controller time: each read runs at most 500 steps.
    // Each read runs at most 500 steps, however far behind the program is.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(h.at(1000), "");
    ASSERT_TRUE(h.controller.next_due_ms().has_value());
    EXPECT_LE(*h.controller.next_due_ms(), 1000);  // more is due: poll again
    EXPECT_EQ(h.send("\x01"), "\r\n#");
    // RUN's own read at time 0 ran one step: 5001 steps of 3 a turn; N=N+1 is each turn's 2nd.
    EXPECT_EQ(h.line("PRINT N"), "PRINT N\r\n1667\r\n#");
    EXPECT_EQ(h.line("CONT"), "CONT\r\n");
    EXPECT_EQ(h.send("\x01"), "\r\n#");
}

TEST(Run, RuntimeErrorNamesTheLine) {
    Harness h;
    load(h, {"10 PRINT \"x\";", "20 A=1/0"});
    EXPECT_EQ(until_quiet(h, "RUN"), "RUN\r\nx\r\nDivision by zero in 20\r\n#");
    EXPECT_EQ(h.line("CONT"), "CONT\r\nCan't continue\r\n#");
}

TEST(Run, StopThenContResumes) {
    Harness h;
    load(h, {"10 PRINT 1", "20 STOP", "30 PRINT 2"});
    EXPECT_EQ(until_quiet(h, "RUN"), "RUN\r\n1\r\nStop at 20\r\n#");
    EXPECT_EQ(h.line("MON"), "MON\r\nTasks:\tTask1[30]\r\n#");
    EXPECT_EQ(until_quiet(h, "CONT"), "CONT\r\n2\r\n#");
}

TEST(Run, BreakPointPromptContinueTraceAndEdit) {
    Harness h;
    load(h, {"10 A=1", "20 A=A+1 : A=A*1", "30 A=A+10", "40 PRINT A"});
    h.line("BKP 20");
    EXPECT_EQ(until_quiet(h, "RUN"), "RUN\r\nBreak at 20\r\n#?");
    // The program is paused: commands work and come back to the break prompt.
    EXPECT_EQ(h.line("PRINT A"), "PRINT A\r\n1\r\n#?");
    EXPECT_EQ(h.line("20 A=5"), "20 A=5\r\nCan't Edit\r\n#?");
    EXPECT_EQ(h.line("NEW"), "NEW\r\nCan't Edit\r\n#?");
    EXPECT_EQ(h.line("MON"), "MON\r\nTasks:\tTask1[20]\r\n#?");
    // A trace runs the whole line; Ctrl-C before the prompt tells the host the break is over.
    EXPECT_EQ(until_quiet(h, "t"), "t\r\nTrace at 30\r\n#?");
    EXPECT_EQ(h.line("PRINT A"), "PRINT A\r\n2\r\n#?");
    EXPECT_EQ(until_quiet(h, "n"), "n\r\n12\r\n\x03\r\n#");
}

TEST(Run, BreakPointStopsEveryPassAndCtrlAEnds) {
    Harness h;
    load(h, {"10 *TOP: PRINT \"x\"", "20 GOTO *TOP"});
    h.line("BKP 10");
    EXPECT_EQ(until_quiet(h, "RUN"), "RUN\r\nBreak at 10\r\n#?");
    EXPECT_EQ(until_quiet(h, "CONT"), "CONT\r\nx\r\nBreak at 10\r\n#?");
    EXPECT_EQ(h.send("\x01"), "\x03\r\n#");
    EXPECT_EQ(h.line("10 PRINT \"edited\""), "10 PRINT \"edited\"\r\n#");
}

TEST(Run, BackgroundTasksRunBehindThePromptAndStopAtBreakPoints) {
    Harness h;
    load(h, {"10 TASK 3, *BG", "20 PRINT \"main\"", "30 END", "100 *BG: N=N+1", "110 WAIT 100",
             "120 ON 12 : IF N<2 THEN 100", "130 END"});
    // Task 1 gives the line back at its END; task 3 goes on behind the prompt.
    EXPECT_EQ(until_quiet(h, "RUN"), "RUN\r\nmain\r\n#");
    EXPECT_EQ(h.line("MON"), "MON\r\nTasks:\tTask3[110]\r\n#");
    h.line("BKP 120");
    EXPECT_EQ(h.drain(h.now + 200), "\r\nBreak at 120\r\n#?");
    EXPECT_EQ(h.line("PRINT N;IN(1)"), "PRINT N;IN(1)\r\n10\r\n#?");
    EXPECT_EQ(until_quiet(h, "t"), "t\r\nTrace at 100\r\n#?");
    // Continuing only background tasks returns to the prompt, and the break to "#?" again.
    EXPECT_EQ(until_quiet(h, "n", 200), "n\r\n\x03\r\n#\r\nBreak at 120\r\n#?");
    EXPECT_EQ(until_quiet(h, "n", 200), "n\r\n\x03\r\n#");
    EXPECT_EQ(h.line("MON"), "MON\r\nTasks:\r\n#");
    EXPECT_EQ(h.line("PRINT N;IN(1)"), "PRINT N;IN(1)\r\n216\r\n#");
}

}  // namespace
}  // namespace kvb::sim::testing
