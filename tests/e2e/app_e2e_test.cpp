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

TEST(App, WithoutADisplayOrAnInstanceItSaysWhatToDoElseARequestIsSent) {
    QTemporaryDir home;
    qvt::test::PtyPeer peer;
    // Without stop-at-connect the line stays silent until the request.
    std::ofstream(home.filePath(QStringLiteral("qvtw2k.INI")).toStdString())
        << "[Comport]\r\nquit_connecting=0\r\n";
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QVTW2K_HOME"), home.path());
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    const AppRun bare = run_app({QStringLiteral("--com"), QStringLiteral("5")}, env);
    EXPECT_EQ(bare.status, 2);
    for (const char* text : {"no display", "xvfb-run", "QT_QPA_PLATFORM=offscreen"})
        EXPECT_TRUE(bare.err.contains(QString::fromLatin1(text))) << bare.err.toStdString();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const AppRun alone = run_app({QStringLiteral("--request"), QStringLiteral("/T 100")}, env);
    EXPECT_EQ(alone.status, 1);
    EXPECT_TRUE(alone.err.contains(QStringLiteral("no running QVTW2K instance")));
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
