// The link against the in-process simulated controller: the same bytes a real
// controller sends, paced in virtual time.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

TEST(SimLink, VerReturnsTheRevisionLine) {
    LinkRig rig;
    rig.attach_sim();
    std::string reply;
    rig.dialogue.CommOut("VER", reply);
    EXPECT_NE(reply.find("REV-2.05"), std::string::npos) << reply;
    EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n");
    EXPECT_EQ(reply.find('#'), std::string::npos);
    EXPECT_EQ(rig.term.InBufferCount(), 0);
}

TEST(SimLink, PacedReplyTakesVirtualTimeOnly) {
    LinkRig rig;
    rig.attach_sim({.reply_delay_ms = 300, .baud = 38400});
    rig.term.set_output_rate(3840);
    std::string reply;
    rig.dialogue.CommOut("VER", reply);
    EXPECT_NE(reply.find("REV-"), std::string::npos);
    EXPECT_GE(rig.pump.now_ms(), 300);
    EXPECT_LT(rig.pump.now_ms(), 400);
}

TEST(SimLink, TimedWaitFailsWhenThePromptNeverComes) {
    LinkRig rig;
    rig.attach_sim({.drop_prompt = true});
    rig.term.set_Output("VER\r");
    EXPECT_FALSE(rig.dialogue.TWait_Prompt(2));
    EXPECT_EQ(rig.pump.now_ms(), 2000);
}

TEST(SimLink, PromptAfterCarriageReturn) {
    LinkRig rig;
    rig.attach_sim();
    rig.term.set_Output("\r");
    rig.dialogue.CommOutBufferWiatZero();
    EXPECT_TRUE(rig.dialogue.TWait_Prompt(2));
}

TEST(SimLink, TypedCommandShownAndTerminalModeEnds) {
    LinkRig rig;
    rig.attach_sim();
    rig.attach_receive();
    rig.receive->parser().first_prompt_pending = 0;
    // What the terminal's Enter does: the typed line is on the screen already,
    // its echo is hidden, the controller owns the terminal until the prompt.
    rig.term.set_Disp("#VER");
    rig.state.echo_skip = 1;
    rig.state.term_mode = 1;
    rig.term.set_Output("VER\r");
    rig.pump.run_for(1000);
    EXPECT_EQ(rig.state.term_mode, 0);
    EXPECT_EQ(rig.receive_hooks.menu_enables, 1);
    const std::string screen = rig.term.Text();
    EXPECT_EQ(screen.find("#VER\r\n"), 0u) << screen;
    EXPECT_NE(screen.find("REV-2.05"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("VERVER"), std::string::npos) << "echo shown: " << screen;
}

}  // namespace
}  // namespace qvt::test
