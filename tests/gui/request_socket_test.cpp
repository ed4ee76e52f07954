// The request socket: one well-formed line is handed on, anything else dropped.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLocalSocket>
#include <QTemporaryDir>

#include "gui/request_socket.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

TEST(RequestParse, AcceptsOneLineOfPrintableText) {
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

TEST_F(RequestSocket, OneLineIsHandedOn) {
    QString error;
    ASSERT_TRUE(send_request(path_, "/T 100", &error)) << error.toStdString();
    ASSERT_TRUE(test::pump_until([&] { return !received_.empty(); }));
    EXPECT_EQ(received_, std::vector<std::string>{"/T 100"});
}

TEST_F(RequestSocket, MultiLineAndOversizeAreDropped) {
    send_raw("/T 1\n/T 2\n");
    send_raw(QByteArray(4 * kMaxRequestBytes, 'A'));
    send_raw("/X A\n");
    EXPECT_EQ(received_, std::vector<std::string>{"/X A"});
    EXPECT_EQ(server_.rejected(), 2u);
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

TEST(RequestClient, NoListenerIsAClearError) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(send_request(dir.filePath(QStringLiteral("none.sock")), "/T 1", &error, 300));
    EXPECT_TRUE(error.contains(QStringLiteral("no running QVTW2K instance")))
        << error.toStdString();
}

}  // namespace
}  // namespace qvt::gui
