#include "core/debug/watch.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

struct WatchRig : ConsoleRig {
    WatchRig() {
        watch.date_time_text = [] { return std::string("D T"); };
        watch.view.terminal_has_focus = [] { return true; };
    }
    debug::Watch watch{{state, term, dialogue, dialogs, console.shell}};
};

TEST(Watch, EachPollSendsTheChosenCommandAndShowsFaceDateAndReply) {
    struct Case {
        int print_index;
        const char* variable;
        bool task_mon;
        const char* sent;
    };
    const Case cases[] = {{0, "  A ", false, "PRINT A\r"},
                          {1, "A", false, "PRX A\r"},
                          {2, "A", false, "PRA A\r"},
                          {0, " ", true, "MON\r"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        WatchRig rig;
        rig.answer_with_prompt();
        rig.watch.set_print_index(c.print_index);
        rig.watch.set_variable(c.variable);
        rig.watch.set_task_mon(c.task_mon);
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

// Bytes arriving at given times; the limit is 2000 ms from the last one.
TEST(Watch, WaitEndsAtAPromptAfterALineFeedAndTimesOutAfterSilence) {
    using Arrivals = std::vector<std::pair<int, std::string>>;
    struct Case {
        const char* name;
        Arrivals arrivals;
        bool prompt;
    };
    const Case cases[] = {
        {"value, CR LF, prompt", {{0, "5\r\n#"}}, true},
        {"prompt inside the value", {{0, "5#"}}, false},
        {"prompt after CR alone", {{0, "5\r#"}}, false},
        {"a slow reply keeps the wait alive", {{1500, "1"}, {3000, "2"}, {4900, "\r\n#"}}, true},
        {"silence after the last byte", {{1500, "1"}, {3600, "\r\n#"}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WatchRig rig;
        for (const auto& [at, bytes] : c.arrivals)
            rig.term.deliver_at(at, bytes);
        std::string reply;
        EXPECT_EQ(rig.watch.Watch_Wait_Prompt(2000, reply), c.prompt);
    }
    WatchRig rig;
    rig.term.deliver("7\r\n# tail");
    std::string reply;
    EXPECT_TRUE(rig.watch.Watch_Wait_Prompt(2000, reply));
    EXPECT_EQ(reply, "7\r\n# tail");
}

TEST(Watch, RepeatPollsAtTheIntervalWithFacesAndStopsAtATimeout) {
    const std::pair<const char*, int> intervals[] = {{"50", 1000}, {"250", 250}, {"abc", 1000}};
    for (const auto& [text, ms] : intervals) {
        SCOPED_TRACE(text);
        WatchRig rig;
        std::vector<Millis> polls;
        std::string last;
        rig.term.set_line_responder([&](const std::string& line, Millis now) {
            polls.push_back(now);
            if (polls.size() <= 11) rig.term.deliver(line + "\r\n#");
        });
        std::vector<std::string> shown;
        rig.watch.on_change = [&] {
            const std::string face = rig.watch.memo().substr(0, 8);
            if (!face.empty() && (shown.empty() || rig.watch.memo() != last)) shown.push_back(face);
            last = rig.watch.memo();
        };
        rig.watch.set_variable("A");
        rig.watch.set_repeat(true);
        rig.watch.set_interval(text);
        rig.watch.Button4Click();
        rig.pump.run_for(100 + 13 * (ms + 10) + 2000);
        ASSERT_EQ(polls.size(), 12u);
        EXPECT_EQ(polls[0], 100);
        EXPECT_EQ(polls[1] - polls[0], ms + 10);  // the 10 ms tail read, then the interval
        const std::vector<std::string> expected = {"(^O^)/~ ", "(^o^)__ ", "(^O^)/~ ", "(^o^)__ ",
                                                   "(^O^)/~ ", "(^o^)__ ", "(^O^)/~ ", "(^o^)__ ",
                                                   "(^O^)/~ ", "(^_^)__ ", "(^O^)/~ ", "The watc"};
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(rig.watch.memo(), debug::kWatchTimeout);
        EXPECT_EQ(rig.state.watch_mode, 0);
    }
}

TEST(Watch, StartKeepsTheVariableListMostRecentFirstWithoutDuplicates) {
    WatchRig rig;
    rig.answer_with_prompt();
    rig.watch.set_repeat(true);
    const std::pair<const char*, std::vector<std::string>> steps[] = {
        {"X", {"X"}}, {"X", {"X"}}, {" X", {"X"}}, {"Y", {"Y", "X"}}, {"X", {"X", "Y"}}};
    for (const auto& [variable, list] : steps) {
        rig.watch.set_variable(variable);
        rig.watch.Button4Click();
        EXPECT_EQ(rig.watch.variable_list(), list) << variable;
    }
}

TEST(Watch, AClickOnTheMainWindowStopsTheWatch) {
    WatchRig rig;
    rig.answer_with_prompt();
    rig.watch.set_variable("A");
    rig.watch.set_repeat(true);
    rig.watch.Button4Click();
    rig.pump.run_for(500);
    rig.watch.FormDeactivate();
    rig.term.clear_sent();
    rig.pump.run_for(5000);
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.state.watch_mode, 0);
    EXPECT_EQ(rig.watch.status_text(0), "Stop");
    EXPECT_TRUE(rig.shell().menu_enabled(console::MenuItem::VariableWatch1));
}

}  // namespace
}  // namespace qvt::test
