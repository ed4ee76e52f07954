// qvtw2k's headless operations against kvbsim over real ptys.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "tests/e2e/e2e_support.h"

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

Result qvtw2k(const QString& home, QStringList args) {
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QVTW2K_HOME", home);
    env.remove("DISPLAY");
    p.setProcessEnvironment(env);
    p.start(QVT_APP_PATH, args);
    if (!p.waitForFinished(30000)) p.kill();
    p.waitForFinished();
    return {p.exitCode(), p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}

std::string slurp(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void spit(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

const char* const kKinds[][3] = {
    {"Q2K", "--load", "--save"}, {"P2K", "--pload", "--psave"}, {"MBK", "--mload", "--msave"}};

TEST(Headless, BackupRestoredIntoAFreshControllerListsTheSame) {
    QTemporaryDir dir;
    const QString d = dir.path() + '/';
    spit(d + "in.Q2K",
         "*START: A=1\r\nPRINT \"\x83"
         "e\x83X\x83g\"\r\nGOTO *START\r\n");
    spit(d + "in.P2K", "PNT 1 10 20 30 40\r\nPNT 7 -1 0 0 +5\r\n");
    spit(d + "in.MBK", "MB001 5 ab?cd\r\nMB020 1 x\r\n");
    qvt::test::SimProcess first, second;
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    for (const auto& kind : kKinds) {
        const QString ext = kind[0], port1 = QString::fromStdString(first.pty());
        const QString port2 = QString::fromStdString(second.pty());
        Result r = qvtw2k(first.home(), {"--port", port1, kind[1], d + "in." + ext, "--yes"});
        ASSERT_EQ(r.status, 0) << r.err;
        r = qvtw2k(first.home(), {"--port", port1, kind[2], d + "a." + ext});
        ASSERT_EQ(r.status, 0) << r.err;
        r = qvtw2k(second.home(), {"--port", port2, kind[1], d + "a." + ext, "--yes"});
        ASSERT_EQ(r.status, 0) << r.err;
        r = qvtw2k(second.home(), {"--port", port2, kind[2], d + "b." + ext});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_FALSE(slurp(d + "a." + ext).empty()) << kind[0];
        EXPECT_EQ(slurp(d + "a." + ext), slurp(d + "b." + ext)) << kind[0];
    }
}

TEST(Headless, ExitStatusSaysWhatWentWrong) {
    QTemporaryDir dir;
    const QString d = dir.path() + '/';
    spit(d + "old.Q2K", "A=1\r\n");
    qvt::test::SimProcess sim, hung, gone;
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(hung.start({"--hung"}));
    ASSERT_TRUE(gone.start({"--hang-up-after", "40"}));
    const QString port = QString::fromStdString(sim.pty());
    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{"--port", d + "no-such-port", "--save", d + "x.Q2K"}, 2, "could not be opened"},
        {{"--port", QString::fromStdString(hung.pty()), "--timeout", "2", "--save", d + "x.Q2K"},
         1,
         "did not answer within 2 s"},
        {{"--port", QString::fromStdString(gone.pty()), "--save", d + "x.Q2K"}, 2, "vanished"},
        {{"--port", port, "--load", d + "missing.Q2K", "--yes"}, 3, "cannot read"},
        {{"--port", port, "--load", d + "old.Q2K"}, 1, "--yes allows it"},
        {{"--port", port, "--save", d + "old.Q2K"}, 1, "--yes replaces it"},
        {{"--port", port, "--save"}, 64, "needs an argument"},
    };
    for (const auto& c : cases) {
        const Result r = qvtw2k(sim.home(), c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString() << '\n' << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(slurp(d + "old.Q2K"), "A=1\r\n");
    EXPECT_FALSE(QFile::exists(d + "x.Q2K"));
}

TEST(Headless, SendPrintsTheReplyAndTheLogReadsBack) {
    QTemporaryDir dir;
    qvt::test::SimProcess sim;
    ASSERT_TRUE(sim.start());
    const QString log = dir.path() + "/line.log";
    const Result r = qvtw2k(
        sim.home(), {"--port", QString::fromStdString(sim.pty()), "--send", "VER", "--log", log});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("REV-2.05"), std::string::npos) << r.out;
    const std::string text = slurp(log);
    EXPECT_NE(text.find(" TX \"\\x01\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" TX \"VER\\r\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" RX \"VER\\r\\nKVB-68K"), std::string::npos) << text;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
