// The monitor bridge in the whole program on kvbsim, with the stand-in monitor
// on a private X display and D-Bus session: the port goes to the monitor and
// comes back. The terminal itself runs offscreen, so it finds the monitor's
// window through the accessibility bus alone, as on a desktop without X11.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gui/app.h"
#include "gui/application.h"
#include "gui/main_window.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/private_desktop.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::test {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(MonitorE2e, HandsThePortToTheMonitorAndTakesItBack) {
    PrivateDesktop desk(false);
    if (!desk.ok) GTEST_SKIP() << "no private display and D-Bus session: " << desk.why;
    setenv("QT_QPA_PLATFORM", "xcb", 1);  // for the monitor only: we are offscreen already
    QTemporaryDir home;
    const fs::path dir = home.path().toStdString();
    setenv("QVTW2K_HOME", dir.c_str(), 1);
    setenv("QVTW2K_MESSAGE_LOG", (dir / "messages.log").c_str(), 1);
    setenv("KVB_MONITOR_LOG", (dir / "monitor.log").c_str(), 1);
    fs::create_directories(dir / "ports");
    fs::create_directories(dir / "bin");
    std::ofstream(dir / "qvtw2k.INI", std::ios::binary) << "[Comport]\r\nquit_connecting=0\r\n";
    SimProcess sim;
    ASSERT_TRUE(sim.start());
    fs::create_symlink(sim.pty(), dir / "ports" / "COM9");
    gui::AppOptions options;
    options.executable = dir / "bin" / "qvtw2k";
    options.listen_for_requests = false;
    gui::App app(options);
    app.start();
    ASSERT_TRUE(app.connect_com(9, 38400));
    auto log = [&] { return read_file(dir / "monitor.log"); };
    struct Reaper {  // the monitor outlives the program by design; not the test
        std::function<std::string()> log;
        ~Reaper() {
            const auto at = log().find(" pid ");
            if (at != std::string::npos) ::kill(std::stoi(log().substr(at + 5)), SIGTERM);
        }
    } reaper{log};

    app.session().desktop.KVBMonitor();
    EXPECT_NE(read_file(dir / "messages.log").find("/bin/KVB_Monitor\\r\\n is not exist"),
              std::string::npos);
    EXPECT_TRUE(app.term().PortOpen());

    fs::create_symlink(QVT_MONITOR_PATH, dir / "bin" / "KVB_Monitor");
    app.session().desktop.KVBMonitor();
    EXPECT_FALSE(app.term().PortOpen());
    EXPECT_EQ(app.main_window().connect_button()->text(), QStringLiteral("Stop KVB Monitor"));
    EXPECT_TRUE(pump_until([&] { return count(log(), "open COM9") == 1; }, 5000));

    app.lifecycle().Button_ConnectClick();
    EXPECT_TRUE(app.term().PortOpen());
    EXPECT_TRUE(pump_until([&] { return count(log(), "closed") == 1; }, 5000));

    // The monitor's window is there: no second copy, the same hand-over.
    app.session().desktop.KVBMonitor();
    EXPECT_FALSE(app.term().PortOpen());
    EXPECT_TRUE(pump_until([&] { return count(log(), "open COM9") == 2; }, 5000));
    EXPECT_EQ(count(log(), "started"), 1);
}

}  // namespace
}  // namespace qvt::test

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    qvt::gui::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
