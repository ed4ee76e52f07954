#include "core/console/list_model.h"

#include <algorithm>

namespace qvt::console {

void ListModel::set_items(std::vector<std::string> items) {
    items_ = std::move(items);
    selected_.assign(items_.size(), 0);
    current_ = -1;
    changed();
}

void ListModel::insert(int index, std::string text) {
    index = std::clamp(index, 0, count());
    items_.insert(items_.begin() + index, std::move(text));
    selected_.insert(selected_.begin() + index, 0);
    if (current_ >= index) ++current_;
    changed();
}

void ListModel::erase(int index) {
    if (index < 0 || index >= count()) return;
    items_.erase(items_.begin() + index);
    selected_.erase(selected_.begin() + index);
    if (current_ > index || current_ >= count()) --current_;
    changed();
}

void ListModel::clear() {
    items_.clear();
    selected_.clear();
    current_ = -1;
    changed();
}

void ListModel::remove_selected() {
    std::vector<std::string> kept;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (selected_[i] == 0) kept.push_back(std::move(items_[i]));
    }
    items_ = std::move(kept);
    selected_.assign(items_.size(), 0);
    current_ = items_.empty() ? -1 : std::min(std::max(current_, 0), count() - 1);
    changed();
}

void ListModel::set_current(int index) {
    current_ = (index >= 0 && index < count()) ? index : -1;
    changed();
}

void ListModel::set_selected(int index, bool on) {
    if (index < 0 || index >= count()) return;
    selected_[static_cast<size_t>(index)] = on ? 1 : 0;
    changed();
}

void ListModel::unselect_all() {
    std::fill(selected_.begin(), selected_.end(), 0);
    changed();
}

void ListModel::select_only(int index) {
    std::fill(selected_.begin(), selected_.end(), 0);
    if (index >= 0 && index < count()) selected_[static_cast<size_t>(index)] = 1;
    current_ = (index >= 0 && index < count()) ? index : -1;
    changed();
}

std::vector<int> ListModel::selected_indices() const {
    std::vector<int> out;
    for (size_t i = 0; i < selected_.size(); ++i) {
        if (selected_[i] != 0) out.push_back(static_cast<int>(i));
    }
    return out;
}

void LabelListModel::set_rows(std::vector<LabelRow> rows) {
    rows_ = std::move(rows);
    selected_ = -1;
    focused_ = -1;
    changed();
}

void LabelListModel::set_selected(int index) {
    selected_ = (index >= 0 && index < count()) ? index : -1;
    changed();
}

void LabelListModel::set_focused(int index) {
    focused_ = (index >= 0 && index < count()) ? index : -1;
    changed();
}

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

void ListModel::sort_rows(bool descending) {
    std::vector<std::string> rows = items_;
    std::stable_sort(rows.begin(), rows.end(), less_nocase);
    if (descending) std::reverse(rows.begin(), rows.end());
    const int keep = current_;
    set_items(std::move(rows));
    if (keep >= 0 && keep < count()) {
        set_current(keep);
        set_selected(keep, true);
    }
}

}  // namespace qvt::console
