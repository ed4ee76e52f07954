// The qvtw2k executable as a user starts it: without a display, with a
// request for an instance that is not there, and on a pty taking a request.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>

#include "tests/e2e/e2e_support.h"

namespace {

struct AppRun {
    int status = -1;
    QString out;
    QString err;
};

QProcessEnvironment base_env(const QString& home) {
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QVTW2K_HOME"), home);
    return env;
}

AppRun run_app(const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QVT_APP_PATH), args);
    AppRun r;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

TEST(App, WithoutADisplayItSaysHowToGetOne) {
    QTemporaryDir home;
    auto env = base_env(home.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const AppRun r = run_app({QStringLiteral("--com"), QStringLiteral("5")}, env);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no display"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("xvfb-run"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("QT_QPA_PLATFORM=offscreen")));
}

TEST(App, RequestWithoutARunningInstanceFailsClearly) {
    QTemporaryDir home;
    const AppRun r =
        run_app({QStringLiteral("--request"), QStringLiteral("/T 100")}, base_env(home.path()));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no running QVTW2K instance")))
        << r.err.toStdString();
}

TEST(App, RequestTypesTheLineAndSendsIt) {
    QTemporaryDir home;
    qvt::test::PtyPeer peer;
    // Without stop-at-connect the line stays silent until the request.
    std::ofstream(home.filePath(QStringLiteral("qvtw2k.INI")).toStdString())
        << "[Comport]\r\nquit_connecting=0\r\n";
    auto env = base_env(home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess app;
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    app.start(QStringLiteral(QVT_APP_PATH),
              {QStringLiteral("--port"), QString::fromStdString(peer.slave_path())});
    ASSERT_TRUE(app.waitForStarted(5000));

    const QString socket = home.filePath(QStringLiteral("qvtw2k-request.sock"));
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(socket) && clock.elapsed() < 10000 &&
           app.state() == QProcess::Running) {
        app.waitForFinished(20);  // returns after 20 ms while it runs
    }
    ASSERT_TRUE(QFileInfo::exists(socket)) << "the instance never listened";

    const AppRun r = run_app({QStringLiteral("--request"), QStringLiteral("/T 100")}, env);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(peer.read_until("\r", 5000), "LIST 100\r");

    app.terminate();
    if (!app.waitForFinished(5000)) app.kill();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
