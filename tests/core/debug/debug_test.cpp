#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/debug/debug_tools.h"
#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

struct DebugRig : ConsoleRig {
    DebugRig() {
        watch.date_time_text = [] { return std::string("D T"); };
        watch.view.terminal_has_focus = [] { return true; };
    }
    debug::DebugTools tools{{state, term, dialogue, dialogs, console.shell}};
    debug::Watch& watch = tools.watch;
};

// The boxes are kept between openings, even when one ends in Cancel.
TEST(ClearOutputs, OkSendsTheMaskOfTheTickedBoxesAndCancelNothing) {
    DebugRig rig;
    auto& dialog = rig.tools.clear_outputs;
    const struct {
        std::vector<std::pair<int, bool>> boxes;  // changed in this opening
        bool ok;
        const char* sent;
    } openings[] = {
        {{}, true, "CLR_OUTP &H0F\r"},
        {{{0, false}, {2, false}, {3, false}}, true, "CLR_OUTP &H02\r"},
        {{{1, false}}, false, ""},
        {{}, true, "CLR_OUTP &H00\r"},
    };
    for (const auto& o : openings) {
        rig.term.clear_sent();
        dialog.show_modal = [&] {
            dialog.FormActivate();
            for (const auto& [area, ticked] : o.boxes)
                dialog.set_box(area, ticked);
            return o.ok;
        };
        rig.tools.clr_outp();
        rig.pump.run_for(10);
        EXPECT_EQ(rig.term.sent(), o.sent);
    }
}

// The controller scripted: MON answers with two tasks after text that is no
// entry, "LIST n 1" lists a line "n<TAB>L<n>", anything else just its prompt.
// (How the reply is cut into entries, the task list's fuzzing harness checks.)
TEST(TaskList, ListsEveryEntryAfterTheFirstTab) {
    DebugRig rig;
    rig.term.set_line_responder([&](const std::string& line, Millis) {
        if (line == "MON") {
            rig.term.deliver("MON\r\nX[9]\tTask2[100]\tTask3[200]\r\n#");
        } else if (line.starts_with("LIST ") && line.ends_with(" 1")) {
            const std::string n = line.substr(5, line.size() - 7);
            rig.term.deliver(line + "\r\n" + n + "\tL" + n + "\r\n#");
        } else {
            rig.term.deliver(line + "\r\n#");
        }
    });
    rig.term.clear_disp_log();
    rig.tools.MonList();
    rig.pump.run_for(10);
    EXPECT_EQ(rig.term.sent(), "MON\rLIST 100 1\rLIST 200 1\rLIST 0 20\r\r");
    EXPECT_EQ(rig.term.disp_log(),
              (std::vector<std::string>{"\r\n", "100\tL100\tTask2\r\n", "200\tL200\tTask3\r\n"}));
    EXPECT_EQ(rig.state.term_mode, 1);
    EXPECT_EQ(rig.state.transfer_mode, 0);
}

TEST(Watch, EachPollSendsTheChosenCommandAndShowsFaceDateAndReply) {
    struct Case {
        int print_index;
        const char* variable;
        const char* sent;
    };
    // (PRINT and MON, the watch's fuzzing harness checks on any reply.)
    const Case cases[] = {{0, "  A ", "PRINT A\r"}, {1, "A", "PRX A\r"}, {2, "A", "PRA A\r"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        DebugRig rig;
        rig.answer_with_prompt();
        rig.watch.set_print_index(c.print_index);
        rig.watch.set_variable(c.variable);
        rig.watch.Button4Click();
        rig.pump.run_for(99);
        EXPECT_EQ(rig.term.sent(), "");
        rig.pump.run_for(1000);
        EXPECT_EQ(rig.term.sent(), c.sent);
        const std::string line(c.sent, std::string(c.sent).size() - 1);
        EXPECT_EQ(rig.watch.memo(), "(^O^)/~ D T\r\n#" + line + "\r\n#");
        EXPECT_EQ(rig.state.watch_mode, 0);  // without Repeat a watch is one poll
    }
}

// Each poll reads a 10 ms tail after the prompt, then waits the interval.
// (That a timeout ends the repeat, the watch's fuzzing harness checks.)
TEST(Watch, RepeatPollsAtTheInterval) {
    const std::pair<const char*, int> intervals[] = {{"50", 1000}, {"250", 250}, {"abc", 1000}};
    for (const auto& [text, ms] : intervals) {
        SCOPED_TRACE(text);
        DebugRig rig;
        std::vector<Millis> polls;
        rig.term.set_line_responder([&](const std::string& line, Millis now) {
            polls.push_back(now);
            rig.term.deliver(line + "\r\n#");
        });
        rig.watch.set_variable("A");
        rig.watch.set_repeat(true);
        rig.watch.set_interval(text);
        rig.watch.Button4Click();
        rig.pump.run_for(100 + 2 * (ms + 10) + ms / 2);
        EXPECT_EQ(polls, (std::vector<Millis>{100, 110 + ms, 120 + 2 * ms}));
    }
}

// Start keeps the variable list most recent first without duplicates.
TEST(Watch, StartListsTheVariableAndAClickOnTheMainWindowStopsTheWatch) {
    DebugRig rig;
    rig.answer_with_prompt();
    rig.watch.set_repeat(true);
    const std::pair<const char*, std::vector<std::string>> steps[] = {
        {"X", {"X"}}, {"X", {"X"}}, {" X", {"X"}}, {"Y", {"Y", "X"}}, {"X", {"X", "Y"}}};
    for (const auto& [variable, list] : steps) {
        rig.watch.set_variable(variable);
        rig.watch.Button4Click();
        EXPECT_EQ(rig.watch.variable_list(), list) << variable;
    }
    rig.pump.run_for(500);
    EXPECT_EQ(rig.state.watch_mode, 1);
    rig.watch.FormDeactivate();
    rig.term.clear_sent();
    rig.pump.run_for(5000);
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.state.watch_mode, 0);
    EXPECT_EQ(rig.watch.status_text(0), "Stop");
    EXPECT_TRUE(rig.shell().menu_enabled(console::MenuItem::VariableWatch1));
}

// The debug tools serve the console's operations and the receive handler,
// as in the program.
struct BpRig : DebugRig {
    BpRig() {
        router.provide(static_cast<console::DebugOperations&>(tools));
        bp().keys = &console.keyboard;
        term.OnComm = [this] { receive.PDQComm1Comm(); };
        term.set_RThreshold(1);
    }
    debug::BreakPoints& bp() { return tools.break_points; }
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        for (const auto& row : bp().rows())
            out.push_back(row.confirmed ? row.text : "~" + row.text);
        return out;
    }
    void program(std::initializer_list<const char*> lines) {
        std::string reply;
        for (const char* line : lines)
            dialogue.CommOut(line, reply);
    }
    link::ReceiveProcessor receive{state, term, console.receive_hooks};
};

std::vector<std::string> rows_with(std::vector<std::string> first) {
    first.resize(8, "~");
    return first;
}

TEST(BreakPoints, SetTakesTheLineUnderTheCursorOrTheSelectionOnce) {
    const struct {
        const char *name, *screen;
        int sel_start, sel_length;
        const char* sent;
        std::vector<std::string> rows;
    } cases[] = {
        {"listing line", "#LIST\r\n120\tB=2\r\n", 0, 0, "BKP 0\rBKP 120\rBKP\rBKP\r",
         rows_with({"   120"})},
        {"selection", "#LIST\r\nx 10 y\r\n", 9, 2, "BKP 0\rBKP 10\rBKP\rBKP\r",
         rows_with({"    10"})},
        {"a line without a blank", "#LIST\r\n120\r\n", 0, 0, "BKP 0\rBKP\rBKP\r", rows_with({})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BpRig rig;
        rig.attach_sim();
        rig.program({"10 A=1", "120 B=2"});
        for (int pass = 0; pass < 2; ++pass) {  // a second Set adds nothing new
            rig.screen(std::string("\x1b[2J\x1b[H") + c.screen, 2, 1);
            rig.term.set_SelStart(c.sel_start);
            rig.term.set_SelLength(c.sel_length);
            rig.term.clear_sent();
            rig.bp().Button10Click();
            EXPECT_EQ(rig.term.sent(), c.sent);
            EXPECT_EQ(rig.rows(), c.rows);
        }
        EXPECT_TRUE(rig.dialogs.messages().empty());
        EXPECT_TRUE(rig.bp().bkp_group_enabled());
        rig.term.clear_sent();  // Reset clears them all, then reads the list back
        rig.bp().Button3Click();
        EXPECT_EQ(rig.term.sent(), "BKP 0\rBKP\rBKP\r");
        EXPECT_EQ(rig.rows(), rows_with({}));
    }
}

TEST(BreakPoints, BreakPromptOpensTheWindowWhichTracesContinuesAndClosesOnCtrlC) {
    BpRig rig;
    rig.attach_sim();
    rig.program({"10 A=0", "20 A=A+1", "30 PRINT A", "40 END", "BKP 20"});
    rig.state.term_mode = 1;  // RUN as typed on the terminal
    rig.term.set_Output("RUN\r");
    rig.pump.run_for(100);
    auto& bp = rig.bp();
    ASSERT_TRUE(bp.visible());
    EXPECT_TRUE(bp.break_ticked());
    EXPECT_EQ(rig.rows(), rows_with({"    20"}));
    EXPECT_FALSE(bp.request_close());  // refused at the break prompt
    EXPECT_TRUE(bp.visible());

    const struct {
        void (debug::BreakPoints::*click)();
        const char* sent;
        bool stops_again;
    } steps[] = {{&debug::BreakPoints::Button15Click, "t\r", true},
                 {&debug::BreakPoints::Button7Click, "n\r", false}};
    for (const auto& step : steps) {
        rig.term.clear_sent();
        (bp.*step.click)();
        EXPECT_EQ(rig.term.sent(), step.sent);
        // A trace has stopped again within its pause; a continue has not.
        EXPECT_EQ(bp.cont_enabled(), step.stops_again);
        EXPECT_EQ(bp.trace_enabled(), step.stops_again);
        rig.pump.run_for(100);
        EXPECT_EQ(bp.break_ticked(), step.stops_again);
        EXPECT_EQ(bp.visible(), step.stops_again);  // the program's end sends Ctrl-C
    }
    EXPECT_EQ(rig.state.term_mode, 0);
    EXPECT_TRUE(rig.dialogs.messages().empty());
}

}  // namespace
}  // namespace qvt::test
