// The Qt terminal control over real ptys: a pty the test holds, and the
// simulated controller as a separate process that is killed.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "gui/qt_terminal_control.h"
#include "tests/core/link/table_ports.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

using test::cpu_ms;
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

// Arrivals raise receive events and Input takes them; output drains to the
// peer; the port opens again after closing. With InputLen 1 each Input takes
// one byte; discarding the input buffer drops what waits.
TEST(OwnPty, BytesGoBothWaysAndThePortReopens) {
    test::TablePorts ports;
    test::PtyPeer peer;
    QtTerminalControl term(ports);
    EventLog log(term);
    open_on(term, peer.slave_path());
    ASSERT_TRUE(term.PortOpen());
    peer.write("#abc");
    ASSERT_TRUE(pump_until([&] { return log.received.size() >= 4; }));
    EXPECT_EQ(log.received, "#abc");
    EXPECT_EQ(term.CommEvent(), platform::kCommEvReceive);
    term.set_Output("VER\r");
    ASSERT_TRUE(pump_until([&] { return term.OutBufferCount() == 0; }));
    EXPECT_EQ(peer.read_until("\r", 2000), "VER\r");

    term.set_PortOpen(false);
    term.set_PortOpen(true);
    peer.write("Z");
    ASSERT_TRUE(pump_until([&] { return log.received.size() == 5; }));
    EXPECT_EQ(log.received, "#abcZ");

    term.OnComm = nullptr;
    term.set_InputLen(1);
    peer.write("XYZ");
    ASSERT_TRUE(pump_until([&] { return term.InBufferCount() >= 3; }));
    EXPECT_EQ(term.Input(), "X");
    EXPECT_EQ(term.Input(), "Y");
    term.set_InBufferCount(0);
    EXPECT_EQ(term.Input(), "");
}

TEST(Simulator, KillingTheSimulatorGivesOneErrorEventAndNoSpin) {
    test::SimProcess sim;
    ASSERT_TRUE(sim.start());
    test::TablePorts ports;
    QtTerminalControl term(ports);
    EventLog log(term);
    open_on(term, sim.pty());
    sim.kill();
    // One error event, the port closed, and the loop idle.
    ASSERT_TRUE(pump_until([&] { return log.errors > 0; }, 3000));
    EXPECT_FALSE(term.PortOpen());
    EXPECT_GT(term.CommEvent(), 1000);
    const double cpu_before = cpu_ms();
    pump_for(500);
    const double cpu_used = cpu_ms() - cpu_before;
    EXPECT_EQ(log.errors, 1);
    EXPECT_LT(cpu_used, 50.0) << "the event loop spins after the device vanished";
    EXPECT_THROW(term.Input(), platform::TerminalError);
    EXPECT_THROW(term.set_Output("X"), platform::TerminalError);
}

}  // namespace
}  // namespace qvt::gui

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
