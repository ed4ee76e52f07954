#include "core/console/command_history.h"

#include <algorithm>

namespace qvt::console {

namespace {

unsigned char fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

bool less_nocase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return fold(x) < fold(y); });
}

}  // namespace

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
    std::vector<std::string> items = list_.items();
    std::stable_sort(items.begin(), items.end(), less_nocase);
    if (descending_next_) std::reverse(items.begin(), items.end());
    descending_next_ = !descending_next_;
    const int current = list_.current();
    list_.set_items(std::move(items));
    if (current >= 0) {
        list_.set_current(current);
        list_.set_selected(current, true);
    }
}

}  // namespace qvt::console
