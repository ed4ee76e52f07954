// The test doubles are the ground every later test stands on; their clock,
// timers and line behaviour are checked here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

TEST(VirtualEventPump, WaitWithNothingPossibleThrows) {
    VirtualEventPump pump;
    EXPECT_THROW(pump.wait_for_event(-1), VirtualDeadlock);
    pump.wait_for_event(500);  // a deadline is always reachable
    EXPECT_EQ(pump.now_ms(), 500);
}

TEST(VirtualEventPump, RepeatingTimerCannotKeepALostWaitAlive) {
    VirtualEventPump pump;
    pump.set_time_limit(10'000);
    auto timer = pump.create_timer();
    timer->start(500, true);
    EXPECT_THROW(
        {
            for (;;)
                pump.wait_for_event(-1);
        },
        VirtualDeadlock);
    EXPECT_LE(pump.now_ms(), 10'000);
}

TEST(VirtualEventPump, TimersFireInOrderAndStopWhenDestroyed) {
    VirtualEventPump pump;
    std::vector<std::string> fired;
    auto a = pump.create_timer();
    auto b = pump.create_timer();
    auto c = pump.create_timer();
    a->set_callback([&] { fired.push_back("a@" + std::to_string(pump.now_ms())); });
    b->set_callback([&] { fired.push_back("b@" + std::to_string(pump.now_ms())); });
    c->set_callback([&] { fired.push_back("c"); });
    a->start(30, false);
    b->start(20, true);
    c->start(10, false);
    c.reset();
    pump.run_until(65);
    EXPECT_EQ(fired, (std::vector<std::string>{"b@20", "a@30", "b@40", "b@60"}));
    EXPECT_FALSE(a->active());
    EXPECT_TRUE(b->active());
    EXPECT_EQ(pump.active_timers(), 1);
}

TEST(VirtualEventPump, HandlersMayWaitInsideADispatch) {
    VirtualEventPump pump;
    auto timer = pump.create_timer();
    Millis inner_end = -1;
    timer->set_callback([&] {
        pump.wait_for_event(pump.now_ms() + 100);
        inner_end = pump.now_ms();
    });
    timer->start(10, false);
    pump.run_until(50);
    EXPECT_EQ(inner_end, 110);
    EXPECT_EQ(pump.now_ms(), 110);
}

TEST(FakeTerminalControl, ClosedPortThrows) {
    VirtualEventPump pump;
    FakeTerminalControl term(pump);
    EXPECT_THROW(term.Input(), platform::TerminalError);
    EXPECT_THROW(term.set_Output("x"), platform::TerminalError);
    term.set_open_error("COM9 not found");
    EXPECT_THROW(term.set_PortOpen(true), platform::TerminalError);
    EXPECT_FALSE(term.PortOpen());
    term.set_PortOpen(true);
    EXPECT_TRUE(term.PortOpen());
}

TEST(FakeTerminalControl, InputLenOneTakesOneByte) {
    LinkRig rig;
    rig.term.deliver("ab");
    rig.pump.process_pending();
    rig.term.set_InputLen(1);
    EXPECT_EQ(rig.term.Input(), "a");
    EXPECT_EQ(rig.term.InBufferCount(), 1);
    rig.term.set_InputLen(0);
    EXPECT_EQ(rig.term.Input(), "b");
    EXPECT_EQ(rig.term.Input(), "");
}

TEST(FakeTerminalControl, OutputDrainsAtTheModelledRate) {
    LinkRig rig;
    rig.term.set_output_rate(100);  // 10 ms a byte
    std::string wire;
    rig.term.set_responder([&](const std::string& chunk, Millis) { wire += chunk; });
    rig.term.set_Output("abcd");
    EXPECT_EQ(rig.term.OutBufferCount(), 4);
    rig.pump.run_until(25);
    EXPECT_EQ(rig.term.OutBufferCount(), 2);
    EXPECT_EQ(wire, "ab");
    rig.pump.run_until(40);
    EXPECT_EQ(rig.term.OutBufferCount(), 0);
    EXPECT_EQ(wire, "abcd");
    EXPECT_EQ(rig.term.sent(), "abcd");
}

TEST(FakeTerminalControl, OneEventPerArrivalWhileThresholdIsOne) {
    LinkRig rig;
    int events = 0;
    rig.term.OnComm = [&] { ++events; };
    rig.term.deliver_at(5, "a");
    rig.term.deliver_at(5, "b");
    rig.term.deliver_at(7, "c");
    rig.pump.run_until(10);
    EXPECT_EQ(events, 0);  // RThreshold still 0
    rig.term.set_RThreshold(1);
    rig.term.deliver_at(12, "d");
    rig.term.deliver_at(12, "e");
    rig.term.deliver_at(15, "f");
    rig.pump.run_until(20);
    EXPECT_EQ(events, 2);
    EXPECT_EQ(rig.term.Input(), "abcdef");
}

TEST(FakeTerminalControl, PortFailureClosesAndReports) {
    LinkRig rig;
    std::vector<int> events;
    rig.term.OnComm = [&] { events.push_back(rig.term.CommEvent()); };
    rig.term.set_RThreshold(1);
    rig.term.deliver_at(3, "x");
    rig.pump.post_at(5, [&] { rig.term.fail_port(); });
    rig.pump.run_until(10);
    EXPECT_EQ(events, (std::vector<int>{platform::kCommEvReceive, platform::kCommErrorDeviceGone}));
    EXPECT_FALSE(rig.term.PortOpen());
}

}  // namespace
}  // namespace qvt::test
