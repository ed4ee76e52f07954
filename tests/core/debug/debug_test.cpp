#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/debug/debug_tools.h"
#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

struct DebugRig : ConsoleRig {
    debug::DebugTools tools{{state, term, dialogue, dialogs, console.shell}};
};

struct ClearCase {
    const char* name;
    std::array<bool, 4> boxes;
    const char* command;
};

TEST(ClearOutputs, OkSendsTheMaskOfTheTickedBoxes) {
    const ClearCase cases[] = {
        {"all", {true, true, true, true}, "CLR_OUTP &H0F"},
        {"CUnet only", {false, true, false, false}, "CLR_OUTP &H02"},
        {"none", {false, false, false, false}, "CLR_OUTP &H00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DebugRig rig;
        auto& dialog = rig.tools.clear_outputs;
        dialog.show_modal = [&] {
            dialog.FormActivate();
            for (int area = 0; area < 4; ++area)
                dialog.set_box(area, c.boxes[static_cast<std::size_t>(area)]);
            EXPECT_EQ(dialog.command(), c.command);
            return true;
        };
        rig.tools.clr_outp();
        rig.pump.run_for(10);
        EXPECT_EQ(rig.term.sent(), std::string(c.command) + "\r");
    }
}

TEST(ClearOutputs, BoxesAreRememberedAcrossOpeningsAndCancelSendsNothing) {
    DebugRig rig;
    auto& dialog = rig.tools.clear_outputs;
    dialog.show_modal = [&] {
        dialog.set_box(0, false);
        return false;
    };
    rig.tools.clr_outp();
    dialog.show_modal = [&] {
        dialog.FormActivate();
        return true;
    };
    rig.tools.clr_outp();
    rig.pump.run_for(10);
    EXPECT_EQ(rig.term.sent(), "CLR_OUTP &H0E\r");
}

struct TaskCase {
    const char* name;
    const char* monitor_reply;
    const char* sent;
    std::vector<std::string> shown;
};

// The controller scripted: MON answers the row's reply, "LIST n 1" lists a
// line "n<TAB>L<n>", anything else just its prompt.
TEST(TaskList, ListsEveryEntryAfterTheFirstTab) {
    const TaskCase cases[] = {
        {"text before the first tab is never shown",
         "MON\r\nX[9]\tTask2[100]\tTask3[200]\r\n#",
         "MON\rLIST 100 1\rLIST 200 1\rLIST 0 20\r\r",
         {"\r\n", "100\tL100\tTask2\r\n", "200\tL200\tTask3\r\n"}},
        {"one entry",
         "MON\r\nTasks:\tTask1[120]\r\n#",
         "MON\rLIST 120 1\rLIST 0 20\r\r",
         {"\r\n", "120\tL120\tTask1\r\n"}},
        {"M, N and O dropped from names",
         "MON\r\nTasks:\tMOTOR No 1[7]\r\n#",
         "MON\rLIST 7 1\rLIST 0 20\r\r",
         {"\r\n", "7\tL7\tTRo1\r\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DebugRig rig;
        rig.term.set_line_responder([&](const std::string& line, Millis) {
            if (line == "MON") {
                rig.term.deliver(c.monitor_reply);
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
        EXPECT_EQ(rig.term.sent(), c.sent);
        EXPECT_EQ(rig.term.disp_log(), c.shown);
        EXPECT_EQ(rig.state.term_mode, 1);
        EXPECT_EQ(rig.state.transfer_mode, 0);
    }
}

TEST(TaskList, ShowsTheLinesOfTheSimulatedControllersTasks) {
    DebugRig rig;
    rig.attach_sim();
    std::string reply;
    for (const char* line : {"10 TASK 2, *A", "20 TASK 3, *B", "30 END", "100 *A: WAIT 200",
                             "110 GOTO *A", "200 *B: WAIT 300", "210 GOTO *B", "RUN"})
        rig.dialogue.CommOut(line, reply);
    rig.pump.run_for(50);
    rig.term.clear_disp_log();
    rig.tools.MonList();
    EXPECT_EQ(rig.term.disp_log(), (std::vector<std::string>{"\r\n", "100\t*A: WAIT 200\tTask2\r\n",
                                                             "200\t*B: WAIT 300\tTask3\r\n"}));
}

}  // namespace
}  // namespace qvt::test
