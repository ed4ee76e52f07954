// The event pump and the Qt terminal control without a controller: timing of
// waits, settings parsing, and the control's refusals on a closed port.
#include <gtest/gtest.h>

#include "gui/connection.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"
#include "tests/e2e/e2e_support.h"
#include "tests/gui/gui_test_support.h"

namespace qvt::gui {
namespace {

TEST(QtEventPump, WaitReturnsAtTheDeadlineNotBefore) {
    QtEventPump pump;
    for (const platform::Millis delay : {1, 5, 20, 50}) {
        const auto deadline = pump.now_ms() + delay;
        while (pump.now_ms() < deadline)
            pump.wait_for_event(deadline);
        EXPECT_LT(pump.now_ms() - deadline, 15) << delay;
    }
}

TEST(QtEventPump, PreciseTimersDoNotFireEarly) {
    QtEventPump pump;
    auto timer = pump.create_timer();
    platform::Millis fired = -1;
    timer->set_callback([&] { fired = pump.now_ms(); });
    const auto start = pump.now_ms();
    timer->start(30, false);
    EXPECT_TRUE(timer->active());
    while (fired < 0 && pump.now_ms() < start + 1000)
        pump.wait_for_event(start + 1000);
    EXPECT_GE(fired - start, 30);
    EXPECT_LT(fired - start, 60);
    EXPECT_FALSE(timer->active());
}

TEST(SerialSettings, ParsesTheControlSettingsText) {
    const auto s = parse_settings("38400,n,8,1");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->baud, 38400);
    const auto e = parse_settings("115200,E,7,2");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->parity, QSerialPort::EvenParity);
    EXPECT_EQ(e->data_bits, QSerialPort::Data7);
    EXPECT_EQ(e->stop_bits, QSerialPort::TwoStop);
    for (const char* bad : {"", "38400", "38400,n,8", "x,n,8,1", "38400,q,8,1", "38400,n,9,1",
                            "38400,n,8,3", "-5,n,8,1", "38400,n,8,1,1"}) {
        EXPECT_FALSE(parse_settings(bad)) << bad;
    }
}

TEST(QtTerminalControl, ClosedPortRefusesInputAndOutput) {
    test::NoPorts ports;
    QtTerminalControl term(ports);
    EXPECT_FALSE(term.PortOpen());
    EXPECT_THROW(term.Input(), platform::TerminalError);
    EXPECT_THROW(term.set_Output("VER\r"), platform::TerminalError);
    EXPECT_EQ(term.InBufferCount(), 0);
    EXPECT_EQ(term.OutBufferCount(), 0);
}

// Bytes the driver still holds count as unsent, and the wait for the output to
// drain ends when the line has sent them, not at the pump's idle wake-up.
TEST(QtTerminalControl, OutputInTheDriverCountsUntilTheLineHasSentIt) {
    test::PtyPeer peer;
    test::NoPorts ports;
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
    test::NoPorts ports;
    QtTerminalControl term(ports);
    link::SharedState state;
    try {
        open_controller_port(term, state, {7, "", 38400});
        FAIL() << "opened a port that does not exist";
    } catch (const platform::TerminalError& e) {
        EXPECT_NE(std::string(e.what()).find("COM7"), std::string::npos) << e.what();
    }
    EXPECT_THROW(open_controller_port(term, state, {0, "/nonexistent/tty", 38400}),
                 platform::TerminalError);
    EXPECT_FALSE(term.PortOpen());
}

TEST(FileDialogText, FiltersAndDefaultExtension) {
    EXPECT_EQ(filter_text({{"Program", "*.Q2K"}, {"All", "*.*"}}),
              QStringLiteral("Program (*.Q2K);;All (*)"));
    EXPECT_EQ(filter_text({{"Q2K files (*.Q2K)", "*.Q2K"}}), QStringLiteral("Q2K files (*.Q2K)"));
    EXPECT_EQ(with_default_extension(QStringLiteral("/d/prog"), "Q2K"),
              QStringLiteral("/d/prog.Q2K"));
    EXPECT_EQ(with_default_extension(QStringLiteral("/d/prog.txt"), "Q2K"),
              QStringLiteral("/d/prog.txt"));
    EXPECT_EQ(from_sjis("\x83\x76\x83\x8d"), QStringLiteral("プロ"));
    EXPECT_EQ(to_sjis(QStringLiteral("プロ")), "\x83\x76\x83\x8d");
}

}  // namespace
}  // namespace qvt::gui
