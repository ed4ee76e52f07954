#include "core/console/command_history.h"

#include <algorithm>

namespace qvt::console {

void CommandHistory::SetHistory(const std::string& line) {
    descending_next_ = false;
    if (line.empty()) return;
    while (list_.count() > 100)
        list_.erase(list_.count() - 1);
    const auto& items = list_.items();
    const auto it = std::find(items.begin(), items.end(), line);
    if (it != items.end()) list_.erase(static_cast<int>(it - items.begin()));
    list_.insert(0, line);
}

void CommandHistory::sort_toggle() {
    list_.sort_rows(descending_next_);
    descending_next_ = !descending_next_;
}

}  // namespace qvt::console
