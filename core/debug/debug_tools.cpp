#include "core/debug/debug_tools.h"

namespace qvt::debug {

DebugTools::DebugTools(const DebugDeps& deps)
    : task_list(deps), clear_outputs(deps.term), watch(deps), break_points(deps),
      dialogs_(deps.dialogs) {
    break_points.close_watch_window = [this] { CloseWatchWindowIfVisible(); };
}

}  // namespace qvt::debug
