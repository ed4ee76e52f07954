// One controller link for all inputs of a harness: building the terminal
// control's screen and the rest for every input took much of each run. Before
// each input the link is put back as new where a reader can tell: the flags,
// what was sent and received, the dialogs and the clock's limit. Anything of
// the last input still to come would make the next one depend on it; that is
// a harness fault and stops the run.
#pragma once

#include "tests/fuzz/fuzz_input.h"
#include "tests/support/link_rig.h"

namespace qvt::fuzz {

inline test::LinkRig& reused_link() {
    static test::LinkRig rig;
    QVT_FUZZ_CHECK(!rig.term.next_due_ms() && rig.pump.active_timers() == 0);
    rig.state = {};
    rig.term.set_InBufferCount(0);
    rig.term.set_OutBufferCount(0);
    rig.term.set_responder({});
    rig.term.clear_sent();
    rig.term.clear_disp_log();
    rig.dialogs.clear();
    rig.pump.set_time_limit(rig.pump.now_ms() + 60 * 60 * 1000);
    return rig;
}

}  // namespace qvt::fuzz
