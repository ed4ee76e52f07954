// The IO checker in the whole program, on kvbsim over a pty: the controller
// is killed from inside the window's modal loop while it polls.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "gui/app.h"
#include "gui/application.h"
#include "tests/e2e/e2e_support.h"

namespace qvt::test {
namespace {

TEST(IoCheckerE2e, TheProgramEndsPromptlyWhenTheControllerGoesWhilePolling) {
    QTemporaryDir home;
    setenv("QVTW2K_HOME", home.path().toLocal8Bit().constData(), 1);
    setenv("QVTW2K_MESSAGE_LOG",
           home.filePath(QStringLiteral("messages.log")).toLocal8Bit().constData(), 1);
    std::ofstream(home.filePath(QStringLiteral("qvtw2k.INI")).toStdString(), std::ios::binary)
        << "[Comport]\r\nquit_connecting=0\r\n";
    SimProcess sim;
    ASSERT_TRUE(sim.start());
    gui::AppOptions options;
    options.executable = home.filePath(QStringLiteral("bin/qvtw2k")).toStdString();
    options.listen_for_requests = false;
    gui::App app(options);
    app.start();
    ASSERT_TRUE(app.connect_device(sim.pty(), 38400));
    auto& io = app.session().io_checker;
    QElapsedTimer since_kill, clock;
    clock.start();
    // Inside the window's modal loop: the controller goes once polling runs;
    // Cancel only if the program has not ended by itself.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!since_kill.isValid() && io.slnk().enabled) {
            since_kill.start();
            sim.kill();
        } else if (clock.elapsed() > 10000 && io.open()) {
            io.Button1Click();
        }
    });
    tick.start(10);
    app.session().console.commands.IOC_exec();
    EXPECT_TRUE(app.session().ended());
    EXPECT_TRUE(since_kill.isValid());
    EXPECT_LT(since_kill.elapsed(), 1500);
}

}  // namespace
}  // namespace qvt::test

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    qvt::gui::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
