// The Qt terminal control over real ptys: a pty the test holds, and the
// simulated controller as a separate process that is killed.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "gui/qt_terminal_control.h"
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
            } else if (term.PortOpen()) {
                received += term.Input();
            }
        };
    }
    int errors = 0;
    std::string received;
};

void open_on(QtTerminalControl& term, const std::string& device) {
    term.set_Settings("38400,n,8,1");
    term.set_RThreshold(1);
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

// Arrivals raise receive events and Input takes them; output drains to the
// peer; the port opens again after closing.
TEST_F(OwnPty, BytesGoBothWaysAndThePortReopens) {
    open_on(term_, peer_.slave_path());
    ASSERT_TRUE(term_.PortOpen());
    peer_.write("#abc");
    ASSERT_TRUE(pump_until([&] { return log_.received.size() >= 4; }));
    EXPECT_EQ(log_.received, "#abc");
    EXPECT_EQ(term_.CommEvent(), platform::kCommEvReceive);
    term_.set_Output("VER\r");
    ASSERT_TRUE(pump_until([&] { return term_.OutBufferCount() == 0; }));
    EXPECT_EQ(peer_.read_until("\r", 2000), "VER\r");

    term_.set_PortOpen(false);
    EXPECT_FALSE(term_.PortOpen());
    term_.set_PortOpen(true);
    peer_.write("Z");
    ASSERT_TRUE(pump_until([&] { return log_.received.size() == 5; }));
    EXPECT_EQ(log_.received, "#abcZ");
}

// With InputLen 1 each Input takes one byte; discarding the buffer drops what waits.
TEST_F(OwnPty, InputLenAndDiscardingTheInputBuffer) {
    term_.OnComm = nullptr;
    open_on(term_, peer_.slave_path());
    term_.set_InputLen(1);
    peer_.write("XYZ");
    ASSERT_TRUE(pump_until([&] { return term_.InBufferCount() >= 3; }));
    EXPECT_EQ(term_.Input(), "X");
    EXPECT_EQ(term_.Input(), "Y");
    term_.set_InBufferCount(0);
    EXPECT_EQ(term_.InBufferCount(), 0);
    EXPECT_EQ(term_.Input(), "");
}

TEST_F(OwnPty, HangUpGivesExactlyOneErrorEventAndNoSpin) {
    open_on(term_, peer_.slave_path());
    peer_.close();
    expect_clean_failure(term_, log_);
}

TEST(Simulator, KillingTheSimulatorGivesOneErrorEventAndNoSpin) {
    test::SimProcess sim;
    ASSERT_TRUE(sim.start());
    test::NoPorts ports;
    QtTerminalControl term(ports);
    EventLog log(term);
    open_on(term, sim.pty());
    sim.kill();
    expect_clean_failure(term, log);
}

}  // namespace
}  // namespace qvt::gui

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
