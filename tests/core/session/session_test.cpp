// The session as the program builds it, on the test link.
#include <gtest/gtest.h>

#include <string>

#include "core/session/session.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

// Ending the program while a transfer waits for a controller that has stopped
// answering: the wait unwinds at once, nothing more goes out (an interrupted
// load must not send NEW or lines when a prompt finally comes), the shared
// state is put back and no temporary file is left beside the user's file.
TEST(Session, EndingUnwindsARunningTransferAndSendsNothingMore) {
    for (const bool load : {true, false}) {
        LinkRig link;
        FakeClipboard clipboard;
        TablePorts ports;
        link::NoLifecycleView view;
        session::Session s({link.term, link.pump, link.dialogs, clipboard, ports}, view);
        ScratchDir dir;
        s.profile.prg_file = dir.write("p.Q2K", "10 A=1\r\n20 B=2\r\n").string();
        s.state.file_preselected = 1;
        link.attach_sim({.drop_prompt = true});  // the stop is never answered
        std::size_t sent_at_end = 0;
        link.pump.post_at(link.pump.now_ms() + 5000, [&] {
            sent_at_end = link.term.sent().size();
            s.end();
        });

        const auto run =
            load ? &console::FileOperations::Load68k : &console::FileOperations::Save68k;
        EXPECT_THROW((s.ops.files().*run)(), platform::Unwind);

        link.pump.run_for(10000);
        EXPECT_EQ(link.term.sent().size(), sent_at_end) << load;
        EXPECT_EQ(s.state.transfer_mode, 0) << load;
        EXPECT_EQ(s.state.operation_running, 0) << load;
        EXPECT_EQ(dir.entries().size(), 1u) << load;
        EXPECT_EQ(ScratchDir::read(s.profile.prg_file), "10 A=1\r\n20 B=2\r\n") << load;
    }
}

}  // namespace
}  // namespace qvt::test
