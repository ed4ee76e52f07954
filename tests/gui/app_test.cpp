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
    EXPECT_TRUE(launcher.baud_radio(0)->isChecked());
    EXPECT_EQ(launcher.port_field()->currentText(), QStringLiteral("1"));
    EXPECT_EQ(launcher.port_field()->count(), 99);
    EXPECT_EQ(launcher.status_panel(0)->text(), QStringLiteral("Ver 1.19"));
    EXPECT_TRUE(launcher.status_panel(1)->text().startsWith(QStringLiteral("COMCtrl:ENG(3.30")));
    EXPECT_FALSE(launcher.button(4)->isVisibleTo(&launcher));  // " Set to COM" is hidden

    QTest::mouseClick(launcher.button(9), Qt::LeftButton);
    EXPECT_TRUE(run.app->term().PortOpen());
    EXPECT_EQ(run.app->term().Settings(), "115200,n,8,1");
    EXPECT_EQ(run.app->state().com_port, "12");
    EXPECT_EQ(run.app->state().port_is_vcp, 1);
    EXPECT_TRUE(run.main().isVisible());
    EXPECT_FALSE(launcher.isVisible());
    EXPECT_EQ(run.main().status_panel(1)->text(), QStringLiteral("COM12    KVB-410USB"));
    // Stop at connect: Ctrl-A, then VER after the pause.
    EXPECT_EQ(peer.read_until("VER\r", 3000), "\x01VER\r");
}

TEST(AppLauncher, RefusedPortSaysSoAndKeepsTheLauncher) {
    Home home;
    AppRun run(home);
    LauncherWindow& launcher = run.app->launcher_window();
    QTest::mouseClick(launcher.port_field(), Qt::LeftButton);
    launcher.port_field()->setEditText(QStringLiteral("77"));
    QTest::mouseClick(launcher.button(1), Qt::LeftButton);
    EXPECT_FALSE(run.app->term().PortOpen());
    EXPECT_EQ(run.dialogs.last_text(),
              "Fail to connect\r\nComm port was already opened or invalid port\r\n");
    EXPECT_TRUE(launcher.isVisible());
    EXPECT_FALSE(run.main().isVisible());
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

TEST_F(Connected, FunctionKeysAreRefusedWhileACommandRuns) {
    run->app->state().term_mode = 1;
    for (Qt::Key key : {Qt::Key_F5, Qt::Key_F1, Qt::Key_F12}) {
        run->dialogs.clear();
        QTest::keyClick(&run->view(), key);
        EXPECT_EQ(run->dialogs.last_text(), "Can not Execute (Terminal Mode)") << key;
        EXPECT_EQ(run->dialogs.messages().back().caption, "QVTW2K");
    }
    // Ctrl-A passes through and stops the controller's program.
    QTest::keyClick(&run->view(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(peer.read_until("\x01", 3000), "\x01");
}

TEST_F(Connected, CtrlEnterFocusesTheListOfThePageShowing) {
    auto& shell = run->main().shell();
    QTest::keyClick(&run->view(), Qt::Key_Return, Qt::ControlModifier);
    QListWidget* history = run->main().list(console::ListId::ListBox1);
    ASSERT_TRUE(focused(history));
    EXPECT_EQ(history->currentRow(), 0);
    EXPECT_TRUE(history->item(0)->isSelected());
    EXPECT_EQ(shell.lamp(), console::Lamp::Grey);

    QTest::keyClick(history, Qt::Key_Escape);
    ASSERT_TRUE(focused(&run->view()));
    EXPECT_EQ(shell.lamp(), console::Lamp::Lime);
    EXPECT_TRUE(history->selectedItems().isEmpty());

    shell.show_page(console::Page::TabSheet6);  // "Point File (F10)" is not served
    QTest::keyClick(&run->view(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), &run->view());
    EXPECT_EQ(run->main().pages()->currentIndex(), 3);
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

TEST_F(Connected, MenuShowsTheTableAndTheGatePasses) {
    MainWindow& w = run->main();
    EXPECT_EQ(w.action(console::MenuItem::LIST2)->text(), QStringLiteral("&LIST\tF4"));
    EXPECT_FALSE(w.action(console::MenuItem::Disconnect1)->isVisible());
    EXPECT_TRUE(w.action(console::MenuItem::Save1)->isEnabled());
    EXPECT_EQ(w.pages()->tabText(0), QStringLiteral("Label (F2)"));
    EXPECT_FALSE(w.pages()->isTabVisible(5));       // Debug page with the switch off
    w.action(console::MenuItem::Save1)->trigger();  // its file dialog is cancelled
    ASSERT_EQ(run->dialogs.file_requests().size(), 1u);
    EXPECT_EQ(run->dialogs.file_requests()[0].title, "Save Program");
    run->app->state().transfer_mode = 1;
    w.action(console::MenuItem::Save1)->trigger();
    EXPECT_EQ(run->dialogs.last_text(), "Can not Execute (Transfer Mode)");
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

TEST(AppSettings, OkStoresAndCancelDoesNot) {
    Home home;
    AppRun run(home);
    SettingsWindow& dialog = run.app->settings_window();
    auto& profile = run.app->profile();
    const std::string editor = profile.editor;

    dialog.show();
    EXPECT_TRUE(dialog.check1()->isChecked());
    EXPECT_FALSE(dialog.check2()->isChecked());
    dialog.edit1()->setText(QStringLiteral("/usr/bin/mousepad"));
    dialog.check1()->setChecked(false);
    QTest::mouseClick(dialog.cancel_button(), Qt::LeftButton);
    EXPECT_EQ(profile.editor, editor);
    EXPECT_EQ(profile.quit_connecting, "1");

    dialog.show();  // refilled: the cancelled edits are gone
    EXPECT_EQ(dialog.edit1()->text().toStdString(), editor);
    dialog.edit1()->setText(QStringLiteral("/usr/bin/mousepad"));
    dialog.check1()->setChecked(false);
    dialog.check2()->setChecked(true);
    QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(profile.editor, "/usr/bin/mousepad");
    EXPECT_EQ(profile.quit_connecting, "0");
    EXPECT_EQ(profile.ime_enabled, "1");
    EXPECT_EQ(run.app->launcher_window().status_panel(2)->text(), QStringLiteral("KVB Not Stop"));
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
