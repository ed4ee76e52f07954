// qvtw2k's headless operations against kvbsim over real ptys.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>

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

// The program's options over real ptys; the data files' round trip is the core's.
TEST(Headless, BackupRestoredIntoAFreshControllerListsTheSame) {
    QTemporaryDir dir;
    const QString d = dir.path() + '/';
    spit(d + "in.Q2K",
         "*START: A=1\r\nPRINT \"\x83"
         "e\x83X\x83g\"\r\nGOTO *START\r\n");
    qvt::test::SimProcess first, second;
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    const QString port1 = QString::fromStdString(first.pty());
    const QString port2 = QString::fromStdString(second.pty());
    Result r = qvtw2k(first.home(), {"--port", port1, "--load", d + "in.Q2K", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = qvtw2k(first.home(), {"--port", port1, "--save", d + "a.Q2K"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = qvtw2k(second.home(), {"--port", port2, "--load", d + "a.Q2K", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = qvtw2k(second.home(), {"--port", port2, "--save", d + "b.Q2K"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(slurp(d + "a.Q2K").empty());
    EXPECT_EQ(slurp(d + "a.Q2K"), slurp(d + "b.Q2K"));
}

TEST(Headless, ExitStatusSaysWhatWentWrongAndSendPrintsTheReplyAndLogs) {
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

    const Result r = qvtw2k(sim.home(), {"--port", port, "--send", "VER", "--log", d + "line.log"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("REV-2.05"), std::string::npos) << r.out;
    const std::string text = slurp(d + "line.log");
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
