// The controller's revision, asked with "VER".
//
// How it works: the reply is collected up to the prompt with the dots left
// out, so "REV-2.05" reads as 205; the digits that follow "REV-" (within 10
// bytes, leading blanks skipped) are the number, 0 when there are none. The
// exchange holds transfer_mode and clears it at the end. An empty read blocks
// in the event pump until data arrives; there is no time limit.
#pragma once

#include <string_view>

#include "core/link/dialogue.h"
#include "core/link/shared_state.h"
#include "core/platform/event_pump.h"
#include "core/platform/terminal_control.h"

namespace qvt::transfer {

// The number in a collected reply (dots already removed, any case).
int revision_from_reply(std::string_view collected);

int query_revision(link::SharedState& state, platform::TerminalControl& term,
                   platform::EventPump& pump, link::Dialogue& dialogue);

}  // namespace qvt::transfer
