// The transfers in the program: the progress dialog as a window, dropped files,
// the file histories' action menu, and a save, clear and load round trip over
// the simulated controller.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <iterator>

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

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// ---- the progress dialog on its own ------------------------------------------------

struct DialogRig {
    DialogRig() {
        main.setGeometry(100, 80, 858, 600);
        main.show();
    }
    link::SharedState state;
    transfer::ProgressModel model{state};
    QMainWindow main;
    ProgressDialog dialog{model, &main};
};

TEST(ProgressWindow, AbortRaisesTheRequestAndADragIsUndoneWhilePinned) {
    DialogRig r;
    r.model.show_for("Save Program", "/p.Q2K", "Saving...");
    QTest::mouseClick(r.dialog.button1(), Qt::LeftButton);
    EXPECT_EQ(r.state.abort_request, 1);

    const QPoint placed = r.dialog.pos();
    r.dialog.move(placed + QPoint(200, 150));  // as the window manager would
    EXPECT_TRUE(pump_until([&] { return r.dialog.pos() == placed; }, 2000));

    // Another window of the program becomes active: the pin is gone and the
    // dialog may be moved.
    r.main.activateWindow();
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&r.dialog, &deactivate);
    if (QGuiApplication::focusWindow() != r.main.windowHandle()) {
        // Without another active window the loss counts after its grace time.
        pump_until([&] { return !r.model.pinned(); }, 3000);
    }
    EXPECT_FALSE(r.model.pinned());
    r.dialog.move(placed + QPoint(200, 150));
    test::pump_for(50);
    EXPECT_EQ(r.dialog.pos(), placed + QPoint(200, 150));
}

// ---- the program ----------------------------------------------------------------------

class OnSimulator : public ::testing::Test {
  protected:
    void SetUp() override {
        home.write("qvtw2k.INI", kNoStop);
        ASSERT_TRUE(sim.start());
        run = std::make_unique<AppRun>(home);
        ASSERT_TRUE(run->app->connect_device(sim.pty(), 38400));
        run->main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&run->main()));
        opened_folders.clear();
        run->app->transfers().hooks.open_folder = [this](const std::string& folder) {
            opened_folders.push_back(folder);
        };
    }
    std::string file(const std::string& name) const { return (home.path() / name).string(); }
    void write(const std::string& name, const std::string& bytes) const { home.write(name, bytes); }
    // Runs until the transfer's result box has been shown.
    bool finished(const char* result = "Completed") {
        const bool done = pump_until([&] { return run->dialogs.last_text() == result; }, 20000);
        if (!done) {
            for (const auto& m : run->dialogs.messages())
                ADD_FAILURE() << "box: " << m.text;
            ADD_FAILURE() << "screen: " << run->app->term().Text();
        }
        return done;
    }
    void drop(const std::vector<std::string>& names) {
        QList<QUrl> urls;
        for (const auto& n : names)
            urls << QUrl::fromLocalFile(QString::fromStdString(n));
        QMimeData data;
        data.setUrls(urls);
        // The drop goes to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&run->main(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&run->main(), &event);
    }
    void type_line(const QString& line) {
        QTest::keyClicks(&run->view(), line);
        QTest::keyClick(&run->view(), Qt::Key_Return);
        ASSERT_TRUE(pump_until([&] { return run->app->state().term_mode == 0; }, 5000));
    }

    Home home;
    test::SimProcess sim;
    std::unique_ptr<AppRun> run;
    std::vector<std::string> opened_folders;
};

TEST_F(OnSimulator, DroppedProgramFileLoadsBehindTheProgressDialog) {
    write("prog.Q2K", "*START: A=1\r\nB=A+1 'note\r\nGOTO *START\r\n");
    bool shown_during = false;
    run->dialogs.while_open = [&](const test::RecordedMessage& m) {
        if (m.text != "Completed") return;
        shown_during = run->app->progress_dialog().isVisible() && !run->main().isEnabled() &&
                       run->app->progress_dialog().label3()->text() == QStringLiteral("Loading...");
    };
    drop({file("prog.Q2K")});
    ASSERT_TRUE(finished());
    EXPECT_TRUE(shown_during);
    EXPECT_EQ(run->dialogs.messages().at(0).text,
              "Load Program File: \r\n" + file("prog.Q2K") +
                  "\r\n\r\nCurrent program is deleted from the KVB.\r\n");
    EXPECT_TRUE(run->dialogs.file_requests().empty());  // no file dialog for a drop
    EXPECT_FALSE(run->app->progress_dialog().isVisible());
    EXPECT_TRUE(run->main().isEnabled());
    EXPECT_EQ(run->app->profile().prg_file, file("prog.Q2K"));
    EXPECT_EQ(run->main().list(console::ListId::ListBox2)->item(0)->text(),
              QString::fromStdString(file("prog.Q2K")));
    ASSERT_EQ(run->main().label_list()->topLevelItemCount(), 1);
    EXPECT_EQ(run->main().label_list()->topLevelItem(0)->text(0), QStringLiteral("START"));

    // Another kind of file in the drop: nothing is loaded.
    run->dialogs.clear();
    drop({file("prog.Q2K"), file("notes.txt")});
    EXPECT_TRUE(pump_until([&] { return !run->dialogs.messages().empty(); }, 3000));
    EXPECT_EQ(run->dialogs.last_text(), "Invalid file type (" + file("notes.txt") + ")");
    test::pump_for(100);
    EXPECT_EQ(run->dialogs.messages().size(), 1u);
}

TEST_F(OnSimulator, SaveClearLoadGivesTheSameProgramBack) {
    write("src.Q2K", "*MAIN: X=0\r\nX=X+1 'count up\r\nPRINT \"X=\";X\r\nGOTO *MAIN\r\n");
    drop({file("src.Q2K")});
    ASSERT_TRUE(finished());

    // Save through the menu into a new file.
    run->dialogs.clear();
    run->dialogs.push_file(file("saved.Q2K"));
    run->main().action(console::MenuItem::Save1)->trigger();
    ASSERT_TRUE(finished());
    ASSERT_EQ(run->dialogs.file_requests().size(), 1u);
    EXPECT_TRUE(run->dialogs.file_requests()[0].overwrite_prompt);
    const std::string saved = read_file(file("saved.Q2K"));
    EXPECT_EQ(saved, "*MAIN: X=0\r\nX=X+1 " + std::string(26, ' ') +
                         "'count up\r\nPRINT \"X=\";X\r\nGOTO *MAIN\r\n");

    type_line(QStringLiteral("NEW"));

    // Load it back from the history's action menu.
    QListWidget* history = run->main().list(console::ListId::ListBox2);
    ASSERT_EQ(history->item(0)->text(), QString::fromStdString(file("saved.Q2K")));
    run->main().shell().focus_list_at_top(console::ListId::ListBox2);
    ASSERT_TRUE(pump_until([&] { return QApplication::focusWidget() == history; }));
    QTest::keyClick(history, Qt::Key_Return);
    QMenu* menu = run->main().file_menu();
    ASSERT_TRUE(menu->isVisible());

    run->dialogs.clear();
    run->dialogs.push_file(file("saved.Q2K"));
    menu->hide();
    menu->actions().at(0)->trigger();
    ASSERT_TRUE(finished());
    EXPECT_EQ(run->dialogs.file_requests().at(0).title, "Load Program");

    run->dialogs.clear();
    run->dialogs.push_file(file("again.Q2K"));
    run->main().action(console::MenuItem::Save1)->trigger();
    ASSERT_TRUE(finished());
    EXPECT_EQ(read_file(file("again.Q2K")), saved);

    // "File Explorer" opens the folder of the entry.
    run->main().shell().focus_list_at_top(console::ListId::ListBox2);
    ASSERT_TRUE(pump_until([&] { return QApplication::focusWidget() == history; }));
    QTest::keyClick(history, Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    menu->hide();
    menu->actions().at(4)->trigger();
    EXPECT_EQ(opened_folders, std::vector<std::string>{home.path().string()});
}

}  // namespace
}  // namespace qvt::gui
