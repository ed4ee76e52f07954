#include "core/debug/debug_tools.h"

namespace qvt::debug {

DebugTools::DebugTools(const DebugDeps& deps)
    : task_list(deps), clear_outputs(deps.term), watch(deps), dialogs_(deps.dialogs) {}

// Mode 1 is the window opening by itself at a break prompt: not a request of
// the user, so no message.
void DebugTools::Break_Point(int mode) {
    if (mode == 0) console::not_available(dialogs_, "The break-point window");
}

}  // namespace qvt::debug
