// The window switch over a real window manager's client list: two stand-ins
// for sibling tools on a private display, listed by their executables' names
// and raised by the switch.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <set>

#include "core/desktop/window_switch.h"
#include "gui/application.h"
#include "gui/x11_windows.h"
#include "tests/e2e/private_desktop.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::test {
namespace {

PrivateDesktop* desk = nullptr;
constexpr platform::ShiftState kAlt{false, false, true}, kNone{};

TEST(WindowSwitchE2e, ListsTheToolsAndRaisesTheChosenOne) {
    if (!desk->ok) GTEST_SKIP() << "no private display with a window manager: " << desk->why;
    QTemporaryDir dir;
    struct Tools {  // ended also when an assertion leaves early
        QProcess at[2];
        ~Tools() {
            for (QProcess& tool : at) {
                tool.kill();
                tool.waitForFinished();
            }
        }
    } tools;
    const char* names[2][2] = {{"BREMO", "cell A.prg"}, {"kvbed2k", "main.q2k"}};
    gui::X11Windows windows;
    desktop::WindowSwitch sw(&windows);
    // Windows mapped while the manager starts up may never be managed.
    ASSERT_TRUE(pump_until([&] { return windows.can_list(); }, 10000));
    for (int i = 0; i < 2; ++i) {
        const QString exe = dir.filePath(QString::fromLatin1(names[i][0]));
        std::filesystem::copy_file(QVT_MONITOR_PATH, exe.toStdString());
        tools.at[i].start(exe, {QStringLiteral("--window"), QString::fromLatin1(names[i][1])});
    }
    auto top_title = [&] {
        const auto all = windows.top_level_windows();
        return all.empty() ? std::string() : all.front().title;
    };
    ASSERT_TRUE(pump_until(
        [&] { return desktop::build_switch_list(windows.top_level_windows()).size() == 2; },
        10000));
    // Whichever tool is on top, Alt+Right offers the one below it, and so on.
    auto title_of = [&](int i) {
        return sw.items()[static_cast<std::size_t>(i)].caption.substr(13);
    };
    std::string raised;
    for (bool last : {false, true}) {
        ASSERT_TRUE(sw.open_from_main(last));
        if (last) {
            for (int selected : {0, 1}) {  // Right, from the last item round to the first
                sw.ListView1KeyDown(39, kAlt);
                EXPECT_EQ(sw.selected(), selected);
            }
        }
        EXPECT_NE(title_of(1), raised);
        raised = title_of(1);
        sw.ListView1KeyUp(kNone);
        EXPECT_TRUE(pump_until([&] { return top_title() == raised; }, 5000)) << raised;
    }
    std::set<std::string> captions{sw.items()[0].caption, sw.items()[1].caption};
    EXPECT_EQ(captions,
              (std::set<std::string>{"BREMO        cell A.prg", "kvbed2k      main.q2k"}));
}

}  // namespace
}  // namespace qvt::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    const bool listing = ::testing::GTEST_FLAG(list_tests);
    qvt::test::PrivateDesktop desktop(true, !listing);
    qvt::test::desk = &desktop;
    setenv("QT_QPA_PLATFORM", desktop.ok && !listing ? "xcb" : "offscreen", 1);
    qvt::gui::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
