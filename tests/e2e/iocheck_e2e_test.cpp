// The IO checker in the whole program, on kvbsim over a pty with a counting
// input bank: the window is driven from inside its own modal loop.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "gui/app.h"
#include "gui/application.h"
#include "gui/io_checker_window.h"
#include "gui/main_window.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::test {
namespace {

struct Program {
    Program() {
        setenv("QVTW2K_HOME", home.path().toLocal8Bit().constData(), 1);
        setenv("QVTW2K_MESSAGE_LOG",
               home.filePath(QStringLiteral("messages.log")).toLocal8Bit().constData(), 1);
        const std::filesystem::path dir = home.path().toStdString();
        std::filesystem::create_directories(dir / "ports");
        std::ofstream(dir / "qvtw2k.INI", std::ios::binary) << "[Comport]\r\nquit_connecting=0\r\n";
        if (!sim.start({QStringLiteral("--count-bank"), QStringLiteral("24"),
                        QStringLiteral("--count-ms"), QStringLiteral("20")}))
            return;
        std::filesystem::create_symlink(sim.pty(), dir / "ports" / "COM9");
        gui::AppOptions options;
        options.executable = dir / "bin" / "qvtw2k";
        options.listen_for_requests = false;
        app = std::make_unique<gui::App>(options);
        app->start();
        connected = app->connect_com(9, 38400);
        window = app->main_window().findChild<gui::IoCheckerWindow*>();
    }
    // Opens the IO checker and, from a timer inside its modal loop, runs each
    // step once its condition holds; then Cancel. True when every step ran.
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    bool with_checker(const std::vector<Step>& steps) {
        std::size_t next = 0;
        QElapsedTimer clock;
        clock.start();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (next < steps.size() && steps[next].ready()) {
                steps[next++].act();
            } else if ((next == steps.size() || clock.elapsed() > 10000) && model().open()) {
                window->cancel_button()->click();
            }
        });
        tick.start(10);
        app->session().console.commands.IOC_exec();
        return next == steps.size();
    }
    iocheck::IoChecker& model() { return app->session().io_checker; }

    QTemporaryDir home;
    SimProcess sim;
    std::unique_ptr<gui::App> app;
    bool connected = false;
    gui::IoCheckerWindow* window = nullptr;
};

TEST(IoCheckerE2e, WatchesAnInputSwitchesAnOutputAndCloses) {
    Program run;
    ASSERT_TRUE(run.connected && run.window != nullptr);
    auto& io = run.model();
    const auto polling = [&] { return io.slnk().enabled; };
    int first = -1;
    EXPECT_TRUE(run.with_checker({
        {polling, [&] { first = io.in_data(0); }},
        {[&] { return io.in_data(0) != first; }, [&] { run.window->out_button(5)->click(); }},
        {[&] { return io.panel8() == "ON 5"; }, [] {}},
    }));
    EXPECT_FALSE(run.window->isVisible());
    EXPECT_EQ(run.app->state().transfer_mode, 0);
    // Opened again, the window reads the output back from the controller.
    EXPECT_TRUE(run.with_checker({{polling, [&] { EXPECT_TRUE(io.out_lamp(5)); }}}));
}

TEST(IoCheckerE2e, TheProgramEndsPromptlyWhenTheControllerGoesWhilePolling) {
    Program run;
    ASSERT_TRUE(run.connected && run.window != nullptr);
    QElapsedTimer since_kill;
    run.with_checker({{[&] { return run.model().slnk().enabled; },
                       [&] {
                           since_kill.start();
                           run.sim.kill();
                       }},
                      {[&] { return run.app->session().ended(); }, [] {}}});
    EXPECT_TRUE(run.app->session().ended());
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
