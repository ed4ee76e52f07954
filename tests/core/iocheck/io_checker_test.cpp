#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/iocheck/io_checker.h"
#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

using iocheck::IoKey;
using Step = std::pair<Millis, std::function<void(iocheck::IoChecker&)>>;

// The window opened at 0 and driven by steps at virtual times; Cancel follows
// the last. Polling starts about 150 ms in (48 reads, then the 100 ms timer).
struct Rig : LinkRig {
    explicit Rig(bool with_sim = true) {
        if (with_sim) attach_sim({.reply_delay_ms = 1});
    }
    void run(std::vector<Step> steps) {
        Millis last = 0;
        for (auto& [t, fn] : steps) {
            pump.post_at(t, [this, fn] { fn(checker); });
            last = t;
        }
        pump.post_at(last + 50, [this] { checker.Button1Click(); });
        checker.show_modal = [this] {
            pump.post([this] { checker.FormActivate(); });
            while (checker.open())
                pump.wait_for_event(-1);
        };
        checker.ShowIOCheckerModal();
    }
    iocheck::IoChecker checker{{state, term, pump, dialogue}};
};

const auto tick = [](bool cunet) {
    return [cunet](iocheck::IoChecker& c) { cunet ? c.SLNKClick(true) : c.MemIOClick(true); };
};

// What a view shows: the captions of output buttons 0, 7, 8 and 23, the
// banks of output rows 0-2, the captions of input buttons 0 and 23, and the
// banks of input rows 0-2.
std::vector<int> numbering(const iocheck::IoChecker& io) {
    return {io.out_caption(0), io.out_caption(7), io.out_caption(8), io.out_caption(23),
            io.out_bank(0),    io.out_bank(1),    io.out_bank(2),    io.in_caption(0),
            io.in_caption(23), io.in_bank(0),     io.in_bank(1),     io.in_bank(2)};
}

TEST(IoChecker, NumberingOfEachView) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<int> shown;
    } cases[] = {
        {"activation", {}, {0, 7, 8, 23, 0, 1, 2, 192, 215, 24, 25, 26}},
        {"outputs at 184, inputs at their end",
         {{300, [](auto& c) { c.OutSBChange(184); }}, {300, [](auto& c) { c.INSBChange(552); }}},
         {184, 191, 384, 399, 23, 48, 49, 744, 767, 93, 94, 95}},
        {"PgDn, then Ctrl+Del",
         {{300, [](auto& c) { c.OutKeyDown(0, IoKey::PageDown, false); }},
          {300, [](auto& c) { c.OutKeyDown(0, IoKey::Delete, true); }}},
         {8, 15, 16, 31, 1, 2, 3, 744, 767, 93, 94, 95}},
        {"CUnet, outputs one step down",
         {{300, tick(true)}, {400, [](auto& c) { c.OutKeyDown(0, IoKey::PageDown, false); }}},
         {2008, 2015, 2016, 2031, 2001, 2002, 2003, 2000, 2023, 2000, 2001, 2002}},
        {"memory IO", {{300, tick(false)}}, {-1, -8, -9, -24, -1, -2, -3, -1, -24, -1, -2, -3}},
        {"CUnet ticked and unticked",
         {{300, tick(true)},
          {400, [](auto& c) { c.SLNKClick(false); }},
          {400, [](auto& c) { c.OutSBChange(40); }}},
         {0, 7, 8, 23, 0, 1, 2, 192, 215, 24, 25, 26}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto steps = c.steps;
        steps.emplace_back(700, [&c](iocheck::IoChecker& io) {
            EXPECT_EQ(numbering(io), c.shown);
            EXPECT_FALSE(io.stopped());
        });
        rig.run(steps);
    }
}

TEST(IoChecker, OutputsSwitchAndClearPerView) {
    const auto click = [](int i) { return [i](iocheck::IoChecker& c) { c.OutClick(i); }; };
    const auto f6 = [](iocheck::IoChecker& c) { c.OutKeyDown(0, IoKey::F6, false); };
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> sent;  // in this order
        int bank, value;                // read back from the controller at the end
    } cases[] = {
        {"Space twice on 12", {{300, click(12)}, {400, click(12)}}, {"ON 12\r", "OFF 12\r"}, 1, 0},
        {"F6, real view", {{300, click(3)}, {400, f6}}, {"ON 3\r", "CLR_OUTP 1\r"}, 0, 0},
        {"F6, CUnet",
         {{300, tick(true)}, {400, click(0)}, {500, f6}},
         {"ON 2000\r", "CLR_OUTP 2\r"},
         2000,
         0},
        {"memory IO -5", {{300, tick(false)}, {400, click(4)}}, {"ON -5\r"}, -1, 16},
        {"F6, memory IO", {{300, tick(false)}, {400, f6}}, {"CLR_OUTP 8\r"}, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto steps = c.steps;
        steps.emplace_back(700, [&](iocheck::IoChecker& io) {
            // A pass later the lamps show what the controller holds.
            for (int j = 0; j < 8; ++j)
                EXPECT_EQ(io.out_lamp(j), ((c.value >> j) & 1) != 0) << j;
        });
        rig.run(steps);
        std::size_t at = 0;
        for (const auto& command : c.sent) {
            at = rig.term.sent().find(command, at);
            ASSERT_NE(at, std::string::npos) << command;
        }
        EXPECT_EQ(rig.sim->bank(c.bank), c.value);
    }
}

// The limit of a read runs from its start: 2000 ms, but 60000 ms once a
// scroll bar moved. (The 2000 ms and a reply that is no number, the IO
// checker's fuzzing harness checks exactly.)
TEST(IoChecker, AScrollDuringAReadGivesItTheLongLimit) {
    Rig rig(false);
    rig.term.set_line_responder([&](const std::string& line, Millis) {
        rig.term.deliver(line + "\r\n");
        rig.term.deliver_after(line == "PRINT IN(1)" ? 59000 : 1, "0\r\n#");
    });
    rig.pump.post_at(100, [&] { rig.checker.INSBChange(200); });
    rig.run({{59500, [&](auto& io) {
                  EXPECT_FALSE(io.stopped());
                  EXPECT_EQ(io.panel6(), "");
              }}});
    EXPECT_NE(rig.term.sent().find("PRINT IN(2)\r"), std::string::npos);  // polling went on
    EXPECT_EQ(iocheck::hex_caption(5), "&H05");                           // a bank's data label
}

}  // namespace
}  // namespace qvt::test
