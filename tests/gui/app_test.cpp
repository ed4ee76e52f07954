// The whole program in-process on the offscreen platform: the real launcher,
// main window and settings dialog over a pty peer, with scripted message boxes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "gui/app.h"
#include "gui/launcher_window.h"
#include "gui/main_window.h"
#include "gui/settings_window.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/app_run.h"
#include "tests/support/scripted_dialogs.h"

namespace qvt::gui {
namespace {

namespace fs = std::filesystem;
using test::AppRun;
using test::Home;

const char* kNoStop = "[Comport]\r\nquit_connecting=0\r\n";

bool focused(QWidget* widget) {
    return QTest::qWaitFor([&] { return QApplication::focusWidget() == widget; }, 2000);
}

TEST(AppLauncher, ShowsTheStartStateAndConnectsTheKvb410EntryAt115200) {
    Home home;
    test::PtyPeer peer;
    home.link_port(12, peer.slave_path(), "VID_3B7C+PID_6003+KV000001");
    AppRun run(home);
    LauncherWindow& launcher = run.app->launcher_window();
    ASSERT_EQ(launcher.list()->count(), 1);
    EXPECT_EQ(launcher.list()->item(0)->text(), QStringLiteral("COM12    KVB-410USB"));
    EXPECT_EQ(launcher.list()->currentRow(), 0);

    QTest::mouseClick(launcher.button(9), Qt::LeftButton);
    EXPECT_TRUE(run.app->term().PortOpen());
    EXPECT_EQ(run.app->term().Settings(), "115200,n,8,1");
    EXPECT_TRUE(run.main().isVisible());
    EXPECT_FALSE(launcher.isVisible());
    EXPECT_EQ(run.main().status_panel(1)->text(), QStringLiteral("COM12    KVB-410USB"));
    // Stop at connect: Ctrl-A, then VER after the pause.
    EXPECT_EQ(peer.read_until("VER\r", 3000), "\x01VER\r");
}

struct Connected : ::testing::Test {
    void SetUp() override {
        home.write("qvtw2k.INI", kNoStop);
        home.write("qvtw2k.cdh", "PRINT A\r\nLIST\r\n");
        run = std::make_unique<AppRun>(home);
        ASSERT_TRUE(run->app->connect_device(peer.slave_path(), 38400));
        run->main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&run->main()));
        ASSERT_TRUE(focused(&run->view()));
    }
    Home home;
    test::PtyPeer peer;
    std::unique_ptr<AppRun> run;
};

TEST_F(Connected, TypingEditsTheScreenAndEnterSendsTheLine) {
    QTest::keyClicks(&run->view(), QStringLiteral("LIST"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return run->app->term().Text().find("LIST") != std::string::npos; }, 2000));
    QTest::keyClick(&run->view(), Qt::Key_Return);
    EXPECT_EQ(peer.read_until("\r", 3000), "LIST\r");
    EXPECT_EQ(run->app->state().term_mode, 1);
    EXPECT_EQ(run->main().shell().list(console::ListId::ListBox1).item(0), "LIST");
}

TEST_F(Connected, ComposingOpensTheYellowBoxOnlyWhenTheImeIsEnabled) {
    auto compose = [&](QWidget* target) {
        QInputMethodEvent event(QStringLiteral("\u3042"), {});
        QApplication::sendEvent(target, &event);
    };
    run->app->profile().ime_enabled = "0";
    compose(&run->view());
    EXPECT_FALSE(run->main().ime_box()->isVisible());

    run->app->profile().ime_enabled = "1";
    compose(&run->view());
    QLineEdit* box = run->main().ime_box();
    ASSERT_TRUE(box->isVisible());
    ASSERT_TRUE(focused(box));
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(Qt::yellow));
    box->setText(QStringLiteral("ABC"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    ASSERT_TRUE(focused(&run->view()));
    EXPECT_NE(run->app->term().Text().find("ABC"), std::string::npos);
    EXPECT_EQ(peer.read_until("\r", 200), "");  // written on the screen, not sent
}

TEST_F(Connected, ClosingTwiceSavesOnceAndEndsTheRun) {
    run->main().close();
    run->main().close();
    EXPECT_EQ(run->app->profile_writes(), 1);
    EXPECT_TRUE(run->app->ended());
    EXPECT_TRUE(fs::exists(home.path() / "qvtw2k.INI"));
    EXPECT_TRUE(fs::exists(home.path() / "qvtw2k.cdh"));
}

TEST(AppHistories, FileNamesShowAsFileNamesAndTypedLinesAsTerminalText) {
    Home home;
    home.write("qvtw2k.flh", "/d/\xe6\x97\xa5\xe6\x9c\xac/a.Q2K\r\n");  // UTF-8
    home.write("qvtw2k.cdh", "PRINT \"\x83\x76\"\r\n");                 // Shift-JIS
    AppRun run(home);
    EXPECT_EQ(run.main().list(console::ListId::ListBox2)->item(0)->text(),
              QString::fromUtf8("/d/日本/a.Q2K"));
    EXPECT_EQ(run.main().list(console::ListId::ListBox1)->item(0)->text(),
              QString::fromUtf8("PRINT \"プ\""));
}

TEST(AppProfile, WhatOneRunWritesTheNextReadsBack) {
    Home home;
    test::PtyPeer peer;
    home.link_port(7, peer.slave_path());
    startup::ProfileValues written;
    {
        AppRun run(home);
        LauncherWindow& launcher = run.app->launcher_window();
        launcher.port_field()->setEditText(QStringLiteral("7"));
        QTest::mouseClick(launcher.baud_radio(1), Qt::LeftButton);
        QTest::mouseClick(launcher.button(1), Qt::LeftButton);
        ASSERT_TRUE(run.app->term().PortOpen());
        run.main().move(30, 40);
        run.main().resize(700, 500);
        run.app->profile().prg_file = "/tmp/a.Q2K";
        run.main().close();
        ASSERT_TRUE(run.app->ended());
        written = run.app->profile();
    }
    AppRun second(home);
    const auto& back = second.app->profile();
    EXPECT_EQ(back.launcher_port_field, "7");
    EXPECT_EQ(back.baud_index, 1);
    EXPECT_EQ(back.main_window, written.main_window);
    EXPECT_EQ(back.panel2_top, std::to_string(written.panel2_height));
    EXPECT_EQ(back.prg_file, "/tmp/a.Q2K");
    EXPECT_EQ(back.quit_connecting, written.quit_connecting);
    EXPECT_TRUE(second.app->launcher_window().baud_radio(1)->isChecked());
    EXPECT_EQ(second.app->launcher_window().port_field()->currentText(), QStringLiteral("7"));
}

}  // namespace
}  // namespace qvt::gui
