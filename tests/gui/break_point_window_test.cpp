// A program stopped at a break point on the simulated controller, traced and
// continued through the real windows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/break_point_window.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/app_run.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

using test::pump_until;

TEST(BreakPointWindow, OpensAtTheBreakPromptTracesContinuesAndClosesAtTheEnd) {
    test::Home home;
    home.write("qvtw2k.INI", "[Comport]\r\nquit_connecting=0\r\n");
    test::SimProcess sim;
    ASSERT_TRUE(sim.start());
    test::AppRun run(home);
    ASSERT_TRUE(run.app->connect_device(sim.pty(), 38400));
    const auto& state = run.app->state();
    for (const char* line :
         {"10 A=0", "20 A=A+1", "30 PRINT A", "40 IF A<2 THEN 20", "50 END", "BKP 30", "RUN"}) {
        ASSERT_TRUE(pump_until([&] { return state.term_mode == 0; }));
        run.app->session().console.commands.CommandExec(line, 0);
    }
    auto* w = run.main().findChild<BreakPointWindow*>();
    // Stopped with the n-th text on the screen.
    const auto stopped = [&](const std::string& text, int n) {
        return pump_until([&] {
            const std::string screen = run.app->term().Text();
            int seen = 0;
            for (auto at = screen.find(text); at != std::string::npos;
                 at = screen.find(text, at + 1))
                ++seen;
            return w->isVisible() && w->break_box()->isChecked() && seen == n;
        });
    };
    ASSERT_TRUE(stopped("Break at 30", 1));
    EXPECT_EQ(w->row(0)->text(), QStringLiteral("    30"));
    EXPECT_FALSE(w->cancel_button()->isEnabled());

    QTest::mouseClick(w->trace_button(), Qt::LeftButton);
    ASSERT_TRUE(stopped("Trace at 40", 1));
    QTest::mouseClick(w->cont_button(), Qt::LeftButton);  // round the loop to 30 again
    ASSERT_TRUE(stopped("Break at 30", 2));
    QTest::mouseClick(w->cont_button(), Qt::LeftButton);  // the program ends
    EXPECT_TRUE(pump_until([&] { return !w->isVisible(); }));
    EXPECT_TRUE(run.dialogs.messages().empty());
}

}  // namespace
}  // namespace qvt::gui
