// The Qt terminal control over real ptys: a pty the test holds, and the
// simulated controller as a separate process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>

#include "core/link/dialogue.h"
#include "core/link/shared_state.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"
#include "posix/port_table.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

using test::process_cpu_ms;
using test::pump_for;
using test::pump_until;

// Counts the control's events by kind.
struct EventLog {
    explicit EventLog(QtTerminalControl& term) {
        term.OnComm = [this, &term] {
            if (term.CommEvent() > 1000) {
                ++errors;
            } else {
                ++receives;
                if (term.PortOpen()) received += term.Input();
            }
        };
    }
    int receives = 0;
    int errors = 0;
    std::string received;
};

void open_on(QtTerminalControl& term, const std::string& device) {
    term.set_Settings("38400,n,8,1");
    term.set_Handshaking(0);
    term.set_RTSEnable(false);
    term.set_RThreshold(1);
    term.set_InputLen(0);
    term.set_Device(device);
    term.set_PortOpen(true);
}

// After the port failed: one error event, the port closed, and the loop idle.
void expect_clean_failure(QtTerminalControl& term, const EventLog& log) {
    ASSERT_TRUE(pump_until([&] { return log.errors > 0; }, 3000));
    EXPECT_FALSE(term.PortOpen());
    EXPECT_GT(term.CommEvent(), 1000);
    const double cpu_before = process_cpu_ms();
    pump_for(500);
    const double cpu_used = process_cpu_ms() - cpu_before;
    EXPECT_EQ(log.errors, 1);
    EXPECT_LT(cpu_used, 50.0) << "the event loop spins after the device vanished";
    EXPECT_THROW(term.Input(), platform::TerminalError);
    EXPECT_THROW(term.set_Output("X"), platform::TerminalError);
}

class OwnPty : public ::testing::Test {
  protected:
    test::NoPorts ports_;
    test::PtyPeer peer_;
    QtTerminalControl term_{ports_};
    EventLog log_{term_};
};

TEST_F(OwnPty, ArrivalsRaiseReceiveEventsAndInputTakesTheBytes) {
    open_on(term_, peer_.slave_path());
    ASSERT_TRUE(term_.PortOpen());
    peer_.write("#abc");
    ASSERT_TRUE(pump_until([&] { return log_.received.size() >= 4; }));
    EXPECT_EQ(log_.received, "#abc");
    EXPECT_GE(log_.receives, 1);
    EXPECT_EQ(term_.CommEvent(), platform::kCommEvReceive);
}

TEST_F(OwnPty, InputLenOneTakesOneByteAtATime) {
    term_.OnComm = nullptr;
    open_on(term_, peer_.slave_path());
    term_.set_InputLen(1);
    peer_.write("XY");
    ASSERT_TRUE(pump_until([&] { return term_.InBufferCount() >= 2; }));
    EXPECT_EQ(term_.Input(), "X");
    EXPECT_EQ(term_.Input(), "Y");
    EXPECT_EQ(term_.Input(), "");
}

TEST_F(OwnPty, OutputDrainsAndReachesThePeer) {
    open_on(term_, peer_.slave_path());
    term_.set_Output("VER\r");
    ASSERT_TRUE(pump_until([&] { return term_.OutBufferCount() == 0; }));
    EXPECT_EQ(peer_.read_until("\r", 2000), "VER\r");
}

TEST_F(OwnPty, DiscardingTheInputBufferDropsWaitingBytes) {
    term_.OnComm = nullptr;
    open_on(term_, peer_.slave_path());
    peer_.write("stale");
    ASSERT_TRUE(pump_until([&] { return term_.InBufferCount() >= 5; }));
    term_.set_InBufferCount(0);
    EXPECT_EQ(term_.InBufferCount(), 0);
    EXPECT_EQ(term_.Input(), "");
}

TEST_F(OwnPty, HangUpGivesExactlyOneErrorEventAndNoSpin) {
    open_on(term_, peer_.slave_path());
    peer_.close();
    expect_clean_failure(term_, log_);
}

TEST_F(OwnPty, PortCanBeOpenedAgainAfterClosing) {
    open_on(term_, peer_.slave_path());
    term_.set_PortOpen(false);
    EXPECT_FALSE(term_.PortOpen());
    term_.set_PortOpen(true);
    EXPECT_TRUE(term_.PortOpen());
    peer_.write("Z");
    ASSERT_TRUE(pump_until([&] { return !log_.received.empty(); }));
    EXPECT_EQ(log_.received, "Z");
}

class Simulator : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!sim_.start({QStringLiteral("--com"), QStringLiteral("5")})) {
            GTEST_SKIP() << "kvbsim printed no pty path";
        }
        setenv("QVTW2K_HOME", sim_.home().toLocal8Bit().constData(), 1);
    }

    test::SimProcess sim_;
    posix::PosixPortTable ports_;
    QtTerminalControl term_{ports_};
    EventLog log_{term_};
};

TEST_F(Simulator, VerIsAnsweredWithTheRevision) {
    open_on(term_, sim_.pty());
    term_.set_Output("VER\r");
    ASSERT_TRUE(pump_until([&] { return log_.received.find("REV-") != std::string::npos; }))
        << log_.received;
    EXPECT_TRUE(pump_until([&] { return log_.received.find("\n#") != std::string::npos; }))
        << log_.received;
}

TEST_F(Simulator, ComNumberIsFoundThroughThePortLink) {
    const posix::PosixPortTable table;
    ASSERT_TRUE(pump_until([&] { return table.device_of(5).has_value(); }, 3000));
    term_.set_CommPort(5);
    term_.set_Settings("38400,n,8,1");
    term_.set_RThreshold(1);
    term_.set_PortOpen(true);
    EXPECT_TRUE(term_.PortOpen());
}

TEST_F(Simulator, DialogueCommOutRunsOnTheRealEventLoop) {
    term_.OnComm = nullptr;  // the dialogue reads the line itself
    open_on(term_, sim_.pty());
    QtEventPump pump;
    link::SharedState state;
    link::Dialogue dialogue(state, term_, pump);
    std::string reply;
    dialogue.CommOut("VER", reply);
    EXPECT_NE(reply.find("REV-"), std::string::npos) << reply;
    EXPECT_EQ(state.transfer_mode, 0);
}

TEST_F(Simulator, KillingTheSimulatorGivesOneErrorEventAndNoSpin) {
    open_on(term_, sim_.pty());
    sim_.kill();
    expect_clean_failure(term_, log_);
}

}  // namespace
}  // namespace qvt::gui

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
