// The end of a run when the controller goes away: qvtw2k connected to kvbsim
// on COM5, then kvbsim killed. The message log stands in for the message box
// (answered at once), so the program's own way to its end is what is timed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "tests/e2e/e2e_support.h"

namespace qvt::test {
namespace {

struct Session {
    // kvbsim on COM5 as the controller's own USB interface, qvtw2k --com 5
    // on the same per-user folder.
    bool start(const char* quit_connecting, bool with_log) {
        if (!sim.start(
                {QStringLiteral("--com"), QStringLiteral("5"), QStringLiteral("--usb-kvb")})) {
            return false;
        }
        std::ofstream(path(QStringLiteral("qvtw2k.INI")).toStdString(), std::ios::binary)
            << "[Comport]\r\nquit_connecting=" << quit_connecting << "\r\n";
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QVTW2K_HOME"), sim.home());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("QVTW2K_MESSAGE_LOG"));
        if (with_log) env.insert(QStringLiteral("QVTW2K_MESSAGE_LOG"), log_path());
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(QStringLiteral(QVT_APP_PATH), {QStringLiteral("--com"), QStringLiteral("5")});
        return app.waitForStarted(5000);
    }

    // Polls pred every step_ms while qvtw2k runs, for at most 10 s (a connect's time).
    template <typename Pred>
    bool poll_until(Pred pred, int step_ms = 10) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000 && app.state() == QProcess::Running) {
            if (pred()) return true;
            app.waitForFinished(step_ms);  // returns after step_ms while it runs
        }
        return false;
    }
    bool wait_connected() {
        return poll_until([&] { return has_open(app.processId(), sim.pty()); });
    }
    // qvtw2k has stopped using the CPU (two samples 50 ms apart agree): the
    // connect has run to its end and the program waits for events.
    bool wait_idle() {
        double last = -2;
        return poll_until(
            [&] {
                const double now = child_cpu_ms(app.processId());
                return std::exchange(last, now) == now;
            },
            50);
    }
    QString path(const QString& name) const { return sim.home() + QLatin1Char('/') + name; }
    QString log_path() const { return path(QStringLiteral("messages.log")); }

    ~Session() {
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished(3000);
        }
    }

    SimProcess sim;
    QProcess app;
};

class KilledSimulator : public ::testing::TestWithParam<bool> {};  // stop at connect

TEST_P(KilledSimulator, OneMessageThenTheProgramEndsWithTheProfileSaved) {
    // Killed once connected and idle, or during the half second after Ctrl-A:
    // the message comes at once, and the VER that would follow the pause
    // raises no second box.
    const bool stop_at_connect = GetParam();
    Session s;
    ASSERT_TRUE(s.start(stop_at_connect ? "1" : "0", true));
    ASSERT_TRUE(s.wait_connected());
    if (!stop_at_connect) {
        ASSERT_TRUE(s.wait_idle());
    }
    // The run read its profile at start; whatever is there at the end, it wrote.
    ASSERT_TRUE(QFile::remove(s.path(QStringLiteral("qvtw2k.INI"))));

    const double children_before = cpu_ms(true);
    const double app_before = child_cpu_ms(s.app.processId());
    const double sim_before = child_cpu_ms(s.sim.pid());
    ASSERT_GE(app_before, 0);
    QElapsedTimer since_kill;
    since_kill.start();
    s.sim.kill();
    ASSERT_TRUE(s.app.waitForFinished(5000)) << "still running after the controller went away";
    const auto kill_to_exit = since_kill.elapsed();
    // Both children are reaped now; what they used beyond the samples above
    // is the CPU between the kill and the end (kvbsim died on the spot).
    const double cpu_after_kill =
        cpu_ms(true) - children_before - app_before - std::max(sim_before, 0.0);

    EXPECT_EQ(s.app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(s.app.exitCode(), 0);
    EXPECT_LT(kill_to_exit, 1500);
    EXPECT_LT(cpu_after_kill, 150.0);
    QFile log(s.log_path());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.front(),
              QStringLiteral("QVTW2K\tCOM5 port has disconnected.\\r\\nQVTW is closed."));
    EXPECT_TRUE(QFileInfo::exists(s.path(QStringLiteral("qvtw2k.INI"))));
    std::printf("kill to exit %lld ms, CPU after the kill %.0f ms\n",
                static_cast<long long>(kill_to_exit), cpu_after_kill);
}

INSTANTIATE_TEST_SUITE_P(Runs, KilledSimulator, ::testing::Bool(), [](const auto& p) {
    return std::string(p.param ? "DuringTheStopPause" : "WhileIdle");
});

TEST(KilledSimulator, TheProgramIdlesWhileTheMessageWaitsForTheUser) {
    Session s;
    ASSERT_TRUE(s.start("0", false));
    ASSERT_TRUE(s.wait_connected());
    ASSERT_TRUE(s.wait_idle());
    s.sim.kill();
    // The box is open (offscreen, nobody clicks); the first 300 ms let it come up.
    s.app.waitForFinished(300);
    ASSERT_EQ(s.app.state(), QProcess::Running);
    const double before = child_cpu_ms(s.app.processId());
    s.app.waitForFinished(1000);
    ASSERT_EQ(s.app.state(), QProcess::Running) << "ended without waiting for the message";
    const double used = child_cpu_ms(s.app.processId()) - before;
    EXPECT_LT(used, 60.0) << "CPU busy while the message box waits";
}

}  // namespace
}  // namespace qvt::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
