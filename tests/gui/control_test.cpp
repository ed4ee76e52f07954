// The Qt platform parts without a controller: the control's output count and
// refusals, the file dialog's texts, and the request socket (one well-formed
// line is handed on, anything else dropped), and the process runner. Waits
// and timers in real time are the link benchmarks' matter.
#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/transfer/editors.h"
#include "gui/connection.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_processes.h"
#include "gui/qt_terminal_control.h"
#include "gui/request_socket.h"
#include "tests/core/link/table_ports.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

// Bytes the driver still holds count as unsent, and the wait for the output to
// drain ends when the line has sent them, not at the pump's idle wake-up.
TEST(QtTerminalControl, OutputInTheDriverCountsUntilTheLineHasSentIt) {
    test::PtyPeer peer;
    test::TablePorts ports;
    QtTerminalControl term(ports);
    QtEventPump pump;
    term.set_Device(peer.slave_path());
    term.set_Settings("38400,n,8,1");
    term.set_PortOpen(true);
    const auto start = pump.now_ms();
    term.set_driver_queue([&](int) {  // 96 bytes at 38400 baud: 25 ms on the line
        return static_cast<int>(std::max<platform::Millis>(0, 96 - (pump.now_ms() - start) * 4));
    });
    EXPECT_GT(term.OutBufferCount(), 80);
    while (term.OutBufferCount() > 0)
        pump.wait_for_event(-1);
    EXPECT_GE(pump.now_ms() - start, 24);
    EXPECT_LT(pump.now_ms() - start, 200);  // the idle wake-up comes after a second
}

TEST(QtTerminalControl, OpeningAnUnknownOrMissingPortThrowsAUserText) {
    test::TablePorts ports;
    QtTerminalControl term(ports);
    link::SharedState state;
    try {
        open_controller_port(term, state, {7, "", 38400});
        ADD_FAILURE() << "opened a port that does not exist";
    } catch (const platform::TerminalError& e) {
        EXPECT_NE(std::string(e.what()).find("COM7"), std::string::npos) << e.what();
    }
    EXPECT_THROW(open_controller_port(term, state, {0, "/nonexistent/tty", 38400}),
                 platform::TerminalError);
    EXPECT_FALSE(term.PortOpen());
}

TEST(Texts, FileDialogFiltersAndExtensionAndRequests) {
    EXPECT_EQ(filter_text({{"Program", "*.Q2K"}, {"All", "*.*"}}),
              QStringLiteral("Program (*.Q2K);;All (*)"));
    EXPECT_EQ(filter_text({{"Q2K files (*.Q2K)", "*.Q2K"}}), QStringLiteral("Q2K files (*.Q2K)"));
    EXPECT_EQ(with_default_extension(QStringLiteral("/d/prog"), "Q2K"),
              QStringLiteral("/d/prog.Q2K"));
    EXPECT_EQ(with_default_extension(QStringLiteral("/d/prog.txt"), "Q2K"),
              QStringLiteral("/d/prog.txt"));
    EXPECT_EQ(to_sjis(QStringLiteral("プロ")), "\x83\x76\x83\x8d");

    // A request is one line of printable text.
    const struct {
        QByteArray data;
        std::optional<std::string> request;
    } cases[] = {
        {"/T 100\n", "/T 100"},
        {"/P X1", "/P X1"},
        {"/L /home/u/\xe3\x83\x97.Q2K\n", "/L /home/u/\xe3\x83\x97.Q2K"},
        {"", std::nullopt},
        {"/T 1\n/T 2\n", std::nullopt},
        {"/T\t1", std::nullopt},
        {QByteArray("/T \0 1", 6), std::nullopt},
        {"/T 1\x7f", std::nullopt},
        {"/T " + QByteArray(kMaxRequestBytes, '1'), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_request(c.data), c.request) << c.data.left(40).toStdString();
    }
}

class RequestSocket : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("req.sock"));
        QString error;
        ASSERT_TRUE(server_.listen(path_, &error)) << error.toStdString();
    }

    // Sends raw bytes as a client would and waits until the server judged them.
    void send_raw(const QByteArray& bytes) {
        const auto judged = server_.accepted() + server_.rejected();
        QLocalSocket client;
        client.connectToServer(path_);
        ASSERT_TRUE(client.waitForConnected(1000));
        client.write(bytes);
        client.waitForBytesWritten(1000);
        client.disconnectFromServer();
        ASSERT_TRUE(
            test::pump_until([&] { return server_.accepted() + server_.rejected() > judged; }));
    }

    QTemporaryDir dir_;
    QString path_;
    std::vector<std::string> received_;
    RequestServer server_{[this](const std::string& r) { received_.push_back(r); }};
};

// What the client sends is handed on; an oversize request is dropped whole
// (which texts are requests, parse_request's cases say).
TEST_F(RequestSocket, OneLineIsHandedOnAndAnOversizeRequestDropped) {
    QString error;
    ASSERT_TRUE(send_request(path_, "/T 100", &error)) << error.toStdString();
    ASSERT_TRUE(test::pump_until([&] { return !received_.empty(); }));
    send_raw(QByteArray(4 * kMaxRequestBytes, 'A'));
    send_raw("/X A\n");
    EXPECT_EQ(received_, (std::vector<std::string>{"/T 100", "/X A"}));
    EXPECT_EQ(server_.rejected(), 1u);
}

TEST_F(RequestSocket, AClientThatNeverClosesIsCutOff) {
    QLocalSocket client;
    client.connectToServer(path_);
    ASSERT_TRUE(client.waitForConnected(1000));
    client.write("/T 5");
    client.flush();
    ASSERT_TRUE(
        test::pump_until([&] { return server_.accepted() == 1; }, RequestServer::kGraceMs + 2000));
    EXPECT_EQ(received_, std::vector<std::string>{"/T 5"});
}

TEST_F(RequestSocket, SecondServerOnTheSamePathRefuses) {
    RequestServer second([](const std::string&) {});
    QString error;
    EXPECT_FALSE(second.listen(path_, &error));
    EXPECT_FALSE(error.isEmpty());
}

// Starting the external editors with the real process runner: the file name
// reaches the editor as one argument, and WinShell comes back when the editor
// ends while the event loop goes on meanwhile.
std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A stand-in editor in <dir>/bin: writes its arguments one a line to
// <dir>/args, then stays until <dir>/go exists (giving up after five seconds,
// so a wait that never lets the test's timer fire fails instead of hanging).
std::filesystem::path write_editor(const std::filesystem::path& dir) {
    std::filesystem::create_directory(dir / "bin");
    const auto editor = dir / "bin" / "editor";
    std::ofstream(editor) << "#!/bin/sh\n"
                             "dir=\"$(dirname \"$0\")/..\"\n"
                             "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/args\"\n"
                             "i=0\n"
                             "while [ ! -e \"$dir/go\" ] && [ $i -lt 500 ]; do\n"
                             "  sleep 0.01; i=$((i+1))\n"
                             "done\n";
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    return editor;
}

TEST(ProgramStarter, WinShellPassesTheFileWholeAndReturnsWhenTheEditorEnds) {
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.path().toStdString();
    write_editor(dir);
    QtEventPump pump;
    QtProcesses processes;
    transfer::ProgramStarter starter(&processes, pump, dir.string());
    auto timer = pump.create_timer();
    bool fired = false;
    timer->set_callback([&] {
        fired = true;
        std::ofstream(dir / "go") << "";
    });
    timer->start(50, false);
    const std::string file = (dir / "my \"odd\" file's  name.P2K").string();

    starter.WinShell("\\bin\\editor", file);

    EXPECT_TRUE(fired);
    EXPECT_EQ(read_file(dir / "args"), file + "\n");
    EXPECT_FALSE(timer->active());

    // A program that cannot be started is not waited for.
    starter.WinShell((dir / "missing").string(), file);
}

}  // namespace
}  // namespace qvt::gui
