// The connection lifecycle wired into the real program: Ctrl+D and the
// connect button, a port that vanishes while connected, the errors of the
// ending run, and the message log that stands in for message boxes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>

#include "core/platform/terminal_control.h"
#include "gui/launcher_window.h"
#include "gui/qt_dialogs.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/app_run.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

namespace fs = std::filesystem;
using test::AppRun;
using test::Home;

const char* kNoStop = "[Comport]\r\nquit_connecting=0\r\n";

// Points QVTW2K_MESSAGE_LOG at a file of its own while it lives.
struct MessageLog {
    MessageLog() {
        if (const char* old = getenv("QVTW2K_MESSAGE_LOG")) previous = old;
        setenv("QVTW2K_MESSAGE_LOG", path().toLocal8Bit().constData(), 1);
    }
    ~MessageLog() {
        if (previous) {
            setenv("QVTW2K_MESSAGE_LOG", previous->c_str(), 1);
        } else {
            unsetenv("QVTW2K_MESSAGE_LOG");
        }
    }
    QString path() const { return dir.filePath(QStringLiteral("messages.log")); }
    QStringList lines() const {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QTemporaryDir dir;
    std::optional<std::string> previous;
};

// An error escaping an event handler, as a wait cut off by a closed port throws it.
void throw_from_a_handler() {
    QTimer::singleShot(0, [] { throw platform::TerminalError("Input: the port is not open"); });
    test::pump_for(30);
}

int count_containing(const std::vector<test::RecordedMessage>& messages, const std::string& part) {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(), [&](const auto& m) {
        return m.text.find(part) != std::string::npos;
    }));
}

// Connected through the launcher's "Other COM Port" on a linked pty.
struct TypedPort : ::testing::Test {
    void SetUp() override {
        home.write("qvtw2k.INI", kNoStop);
        home.link_port(7, peer.slave_path());
        run = std::make_unique<AppRun>(home);
        LauncherWindow& launcher = run->app->launcher_window();
        launcher.port_field()->setEditText(QStringLiteral("7"));
        QTest::mouseClick(launcher.button(1), Qt::LeftButton);
        ASSERT_TRUE(run->app->term().PortOpen());
        run->main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&run->main()));
    }
    Home home;
    test::PtyPeer peer;
    std::unique_ptr<AppRun> run;
};

TEST_F(TypedPort, CtrlDParksTheWindowAndTheButtonReopensThePort) {
    MainWindow& w = run->main();
    QPushButton* button = w.connect_button();
    QTest::keyClick(&run->view(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(run->app->term().PortOpen());
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->text(), QStringLiteral("ComPort Connect"));
    EXPECT_FALSE(w.action(console::MenuItem::Load1)->isEnabled());
    EXPECT_TRUE(w.action(console::MenuItem::Exit1)->isEnabled());
    EXPECT_TRUE(run->app->lifecycle().Timer3().active());  // unplugging still ends the run

    // A second Ctrl+D, with the port closed, changes nothing and says nothing.
    QTest::keyClick(button, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(run->dialogs.messages().empty());

    QTest::mouseClick(button, Qt::LeftButton);  // waits its half second in the pump
    EXPECT_TRUE(run->app->term().PortOpen());
    EXPECT_FALSE(button->isVisible());
    EXPECT_TRUE(w.action(console::MenuItem::Load1)->isEnabled());
    run->app->term().set_Output("PRINT 1\r");
    EXPECT_EQ(peer.read_until("\r", 2000), "PRINT 1\r");
    EXPECT_TRUE(run->dialogs.messages().empty());
}

TEST_F(TypedPort, ErrorsEscapingAHandlerAreShownUntilTheRunEnds) {
    MessageLog log;
    throw_from_a_handler();
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_EQ(log.lines().front(), QStringLiteral("QVTW2K\tInput: the port is not open"));

    peer.close();
    ASSERT_TRUE(test::pump_until([&] { return run->app->ended(); }));
    throw_from_a_handler();
    EXPECT_EQ(log.lines().size(), 1);
}

struct Vanish {
    const char* name;
    std::string usb_id;  // empty: a typed port
    int com;
    std::string message;
};

void PrintTo(const Vanish& c, std::ostream* os) {
    *os << c.name;
}

class VanishedPort : public ::testing::TestWithParam<Vanish> {};

TEST_P(VanishedPort, OneMessageThenTheRunEndsWithTheProfileSaved) {
    const Vanish& c = GetParam();
    Home home;
    home.write("qvtw2k.INI", kNoStop);
    test::PtyPeer peer;
    home.link_port(c.com, peer.slave_path(), c.usb_id);
    AppRun run(home);
    LauncherWindow& launcher = run.app->launcher_window();
    if (c.usb_id.empty()) {
        launcher.port_field()->setEditText(QString::number(c.com));
        QTest::mouseClick(launcher.button(1), Qt::LeftButton);
    } else {
        ASSERT_EQ(launcher.list()->currentRow(), 0);
        QTest::mouseClick(launcher.button(9), Qt::LeftButton);
    }
    ASSERT_TRUE(run.app->term().PortOpen());
    fs::remove(home.path() / "qvtw2k.INI");

    // The box stays open a while, long enough for Timer3 and the control's
    // error to come round again.
    int messages_while_open = -1;
    run.dialogs.while_open = [&](const test::RecordedMessage&) {
        test::pump_for(1200);
        messages_while_open = static_cast<int>(run.dialogs.messages().size());
    };
    peer.close();
    ASSERT_TRUE(test::pump_until([&] { return run.app->ended(); }, 3000));

    ASSERT_EQ(run.dialogs.messages().size(), 1);
    EXPECT_EQ(messages_while_open, 1);
    const auto& m = run.dialogs.messages().front();
    EXPECT_EQ(m.caption, "QVTW2K");
    EXPECT_EQ(m.text, c.message);
    EXPECT_EQ(m.icon, platform::MsgIcon::Error);
    EXPECT_TRUE(fs::exists(home.path() / "qvtw2k.INI"));
    EXPECT_FALSE(run.main().isVisible());
    EXPECT_FALSE(run.app->lifecycle().Timer3().active());
    test::pump_for(600);  // a stopped Timer3 stays quiet
    EXPECT_EQ(count_containing(run.dialogs.messages(), "port has disconnected"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, VanishedPort,
    ::testing::Values(Vanish{"Typed", "", 7, "COM7 port has disconnected.\r\nQVTW is closed."},
                      Vanish{"UsbRs", "VID_0403+PID_6001+AC000001", 12,
                             "COM 12 port has disconnected. (VCP's disappearance)\r\n"
                             "QVTW is closed."}),
    [](const ::testing::TestParamInfo<Vanish>& p) { return std::string(p.param.name); });

struct LoggedBox {
    platform::MsgButtons buttons;
    platform::MsgResult answer;
};

TEST(MessageLogHook, EachBoxIsOneLineAnsweredWithItsDefaultButton) {
    MessageLog log;
    QtDialogs dialogs;
    const LoggedBox cases[] = {
        {platform::MsgButtons::Ok, platform::MsgResult::Ok},
        {platform::MsgButtons::OkCancel, platform::MsgResult::Ok},
        {platform::MsgButtons::YesNo, platform::MsgResult::Yes},
        {platform::MsgButtons::YesNoCancel, platform::MsgResult::Yes},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dialogs.MessageBox("QVTW", "a\\b\tc\r\nd", platform::MsgIcon::Error, c.buttons),
                  c.answer);
    }
    // Texts of the core are UTF-8: a file name in a folder named in Japanese.
    dialogs.MessageBox("QVTW", "File Open Error /d/\xe6\x97\xa5\xe6\x9c\xac/a.Q2K",
                       platform::MsgIcon::None, platform::MsgButtons::Ok);
    platform::FileDialogRequest request;
    request.title = "Save Program";
    std::string path = "unchanged";
    EXPECT_FALSE(dialogs.FileDialog(request, path));
    EXPECT_EQ(path, "unchanged");

    const QStringList lines = log.lines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("QVTW\ta\\\\b\\tc\\r\\nd"));
    EXPECT_EQ(lines[4], QString::fromUtf8("QVTW\tFile Open Error /d/日本/a.Q2K"));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("Save Program\t")));
}

}  // namespace
}  // namespace qvt::gui
