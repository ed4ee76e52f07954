#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/debug/debug_tools.h"
#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

// The debug tools serve the console's operations and the receive handler,
// as in the program.
struct BpRig : ConsoleRig {
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
    debug::DebugTools tools{{state, term, dialogue, dialogs, console.shell}};
    link::ReceiveProcessor receive{state, term, console.receive_hooks};
};

const std::vector<std::string> kEmpty(8, "~");

std::vector<std::string> rows_with(std::vector<std::string> first) {
    first.resize(8, "~");
    return first;
}

struct SetCase {
    const char* name;
    const char* screen;
    int sel_start, sel_length;
    const char* sent;
    std::vector<std::string> rows;
};

TEST(BreakPoints, SetTakesTheLineUnderTheCursorOrTheSelectionOnce) {
    const SetCase cases[] = {
        {"listing line", "#LIST\r\n120\tB=2\r\n", 0, 0, "BKP 0\rBKP 120\rBKP\rBKP\r",
         rows_with({"   120"})},
        {"selection", "#LIST\r\nx 10 y\r\n", 9, 2, "BKP 0\rBKP 10\rBKP\rBKP\r",
         rows_with({"    10"})},
        {"a line without a blank", "#LIST\r\n120\r\n", 0, 0, "BKP 0\rBKP\rBKP\r", kEmpty},
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
    }
}

struct ReadCase {
    const char* name;
    std::vector<std::string> replies;  // to each "BKP" in turn, the last repeated
    std::vector<std::string> rows;
    const char* message;
};

TEST(BreakPoints, ReadBackFillsRowsInOrderOnlyWhenTwoReadsAgree) {
    const std::string two = "BKP\r\nPOINT1=   120\r\nPOINT2=    10\r\n#";
    std::vector<std::string> disagreeing;
    for (int i = 0; i < 12; ++i)
        disagreeing.push_back("BKP\r\n" + std::to_string(i) + "\r\n#");
    std::vector<std::string> five_then_agree(disagreeing.begin(), disagreeing.begin() + 10);
    five_then_agree.push_back(two);
    const ReadCase cases[] = {
        {"rows in order", {two}, rows_with({"   120", "    10"}), nullptr},
        {"six disagreeing pairs", disagreeing, kEmpty, debug::kRepliesDisagree},
        {"five disagreeing pairs", five_then_agree, rows_with({"   120", "    10"}), nullptr},
        {"no answer", {""}, kEmpty, debug::kNoCurrent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BpRig rig;
        std::size_t reads = 0;
        rig.term.set_line_responder([&](const std::string& line, Millis) {
            if (line != "BKP") return rig.term.deliver(line + "\r\n#");
            rig.term.deliver(c.replies[std::min(reads++, c.replies.size() - 1)]);
        });
        rig.bp().Button3Click();
        EXPECT_EQ(rig.rows(), c.rows);
        EXPECT_EQ(rig.dialogs.last_text(), c.message ? c.message : "");
        if (c.message == debug::kRepliesDisagree) {
            EXPECT_EQ(reads, 12u);
        }
    }
}

TEST(BreakPoints, ProgramOutputBetweenTheReadsOfASlowControllerIsTold) {
    BpRig rig;
    kvb::sim::Options slow;
    slow.reply_delay_ms = 20;  // the echo first, the reply after the program's text
    rig.attach_sim(slow);
    rig.program({"10 TASK 2, 100", "20 END", "100 PRINT A; : A=A+1 : WAIT 7 : GOTO 100", "RUN"});
    rig.bp().Button3Click();
    EXPECT_EQ(rig.dialogs.last_text(), debug::kRepliesDisagree);
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
