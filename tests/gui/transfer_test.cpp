// The transfers in the program: the progress dialog as a window, and a drop
// over the simulated controller.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include "gui/app.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/app_run.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

using test::AppRun;
using test::Home;
using test::pump_until;

const char* kNoStop = "[Comport]\r\nquit_connecting=0\r\n";

// While pinned, a move by the window manager is undone.
TEST(ProgressWindow, ADragIsUndoneWhilePinned) {
    QMainWindow main;
    main.setGeometry(100, 80, 858, 600);
    main.show();
    link::SharedState state;
    transfer::ProgressModel model{state};
    ProgressDialog dialog{model, &main};
    model.show_for("Save Program", "/p.Q2K", "Saving...");
    const QPoint placed = dialog.pos();
    dialog.move(placed + QPoint(200, 150));  // as the window manager would
    EXPECT_TRUE(pump_until([&] { return dialog.pos() == placed; }, 2000));
}

// A dropped file loads behind the progress dialog with no file dialog.
TEST(OnSimulator, DroppedFileLoadsBehindTheProgressDialog) {
    Home home;
    home.write("qvtw2k.INI", kNoStop);
    home.write("src.Q2K", "*MAIN: X=0\r\nX=X+1 'count up\r\nPRINT \"X=\";X\r\nGOTO *MAIN\r\n");
    test::SimProcess sim;
    ASSERT_TRUE(sim.start());
    AppRun run(home);
    ASSERT_TRUE(run.app->connect_device(sim.pty(), 38400));
    run.main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&run.main()));
    bool shown_during = false;
    run.dialogs.while_open = [&](const test::RecordedMessage& m) {
        if (m.text != "Completed") return;
        shown_during = run.app->progress_dialog().isVisible() && !run.main().isEnabled() &&
                       run.app->progress_dialog().label3()->text() == QStringLiteral("Loading...");
    };
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((home.path() / "src.Q2K").string()))});
    // The drop goes to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&run.main(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&run.main(), &drop);
    ASSERT_TRUE(pump_until([&] { return run.dialogs.last_text() == "Completed"; }, 20000))
        << run.dialogs.last_text() << " / screen: " << run.app->term().Text();
    EXPECT_TRUE(shown_during);
    EXPECT_TRUE(run.dialogs.file_requests().empty());
    EXPECT_FALSE(run.app->progress_dialog().isVisible());
    EXPECT_TRUE(run.main().isEnabled());
    ASSERT_EQ(run.main().label_list()->topLevelItemCount(), 1);
    EXPECT_EQ(run.main().label_list()->topLevelItem(0)->text(0), QStringLiteral("MAIN"));
}

}  // namespace
}  // namespace qvt::gui
