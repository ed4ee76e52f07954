// The whole program in-process on the offscreen platform, over a pty peer with
// scripted message boxes: the errors of the ending run in the message log that
// stands in for message boxes, the histories' texts, and the profile from one
// run to the next.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/platform/terminal_control.h"
#include "gui/launcher_window.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/app_run.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

using test::AppRun;
using test::Home;

const char* kNoStop = "[Comport]\r\nquit_connecting=0\r\n";

// Points QVTW2K_MESSAGE_LOG (which the tests' main always sets) at a file of
// its own while it lives.
struct MessageLog {
    MessageLog() { setenv("QVTW2K_MESSAGE_LOG", path().toLocal8Bit().constData(), 1); }
    ~MessageLog() { setenv("QVTW2K_MESSAGE_LOG", previous.c_str(), 1); }
    QString path() const { return dir.filePath(QStringLiteral("messages.log")); }
    QStringList lines() const {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    const std::string previous = getenv("QVTW2K_MESSAGE_LOG");
    QTemporaryDir dir;
};

// An error escaping an event handler, as a wait cut off by a closed port throws it.
void throw_from_a_handler() {
    QTimer::singleShot(0, [] { throw platform::TerminalError("Input: the port is not open"); });
    test::pump_for(30);
}

// Connected through the launcher's "Other COM Port" on a linked pty: an error
// escaping a handler is shown until the run ends, and the window's place and
// the launcher's choices of one run come back in the next. The histories
// show file names as file names and typed lines as terminal text.
TEST(App, HandlerErrorsAreShownUntilTheEndAndTheNextRunReadsTheProfileBack) {
    Home home;
    test::PtyPeer peer;
    home.write("qvtw2k.INI", kNoStop);
    home.write("qvtw2k.flh", "/d/\xe6\x97\xa5\xe6\x9c\xac/a.Q2K\r\n");  // UTF-8
    home.write("qvtw2k.cdh", "PRINT \"\x83\x76\"\r\n");                 // Shift-JIS
    home.link_port(7, peer.slave_path());
    startup::ProfileValues written;
    {
        AppRun run(home);
        EXPECT_EQ(run.main().list(console::ListId::ListBox2)->item(0)->text(),
                  QString::fromUtf8("/d/日本/a.Q2K"));
        EXPECT_EQ(run.main().list(console::ListId::ListBox1)->item(0)->text(),
                  QString::fromUtf8("PRINT \"プ\""));
        LauncherWindow& launcher = run.app->launcher_window();
        launcher.port_field()->setEditText(QStringLiteral("7"));
        QTest::mouseClick(launcher.baud_radio(1), Qt::LeftButton);
        QTest::mouseClick(launcher.button(1), Qt::LeftButton);
        ASSERT_TRUE(run.app->term().PortOpen());
        MessageLog log;
        throw_from_a_handler();
        ASSERT_EQ(log.lines().size(), 1);
        EXPECT_EQ(log.lines().front(), QStringLiteral("QVTW2K\tInput: the port is not open"));
        run.main().move(30, 40);
        run.main().resize(700, 500);
        run.main().close();
        ASSERT_TRUE(run.app->ended());
        throw_from_a_handler();
        EXPECT_EQ(log.lines().size(), 1);
        written = run.app->profile();
    }
    AppRun second(home);
    EXPECT_EQ(second.app->profile().main_window, written.main_window);
    EXPECT_EQ(second.app->profile().panel2_top, std::to_string(written.panel2_height));
    EXPECT_TRUE(second.app->launcher_window().baud_radio(1)->isChecked());
    EXPECT_EQ(second.app->launcher_window().port_field()->currentText(), QStringLiteral("7"));
}

}  // namespace
}  // namespace qvt::gui
