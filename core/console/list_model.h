// The item lists of the lower tab pages as a view renders them: the command
// history and the three file histories (strings, several selected at once,
// one current entry) and the label list (rows of label and line, one
// selection, one focused row).
//
// How it works: a list owns its rows and selection and calls on_change after
// every change, so the window that shows it can redraw. The current entry is
// the one with the focus rectangle (-1: none); selection is independent of it,
// as in a multi-select list control. Users of a list change it only through
// these methods, so a view never misses an update.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qvt::console {

class ListModel {
  public:
    const std::vector<std::string>& items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }
    const std::string& item(int index) const { return items_.at(static_cast<size_t>(index)); }

    // Replaces every row; nothing stays selected or current.
    void set_items(std::vector<std::string> items);
    void insert(int index, std::string text);
    void erase(int index);
    void clear();
    // Removes every selected row; the current entry stays at its index when
    // rows remain (pulled back to the last row), otherwise none is current.
    void remove_selected();

    int current() const { return current_; }
    void set_current(int index);  // -1 for none
    bool selected(int index) const { return selected_.at(static_cast<size_t>(index)) != 0; }
    void set_selected(int index, bool on);
    void unselect_all();
    // Makes index current and its only selected row.
    void select_only(int index);
    std::vector<int> selected_indices() const;
    // Sorts as the platform's list control does: alphabetically with ASCII
    // case ignored, equal rows kept in order; descending reverses that order.
    // The current index stays current and becomes selected.
    void sort_rows(bool descending);

    std::function<void()> on_change;

  private:
    void changed() {
        if (on_change) on_change();
    }
    std::vector<std::string> items_;
    std::vector<char> selected_;
    int current_ = -1;
};

struct LabelRow {
    std::string label;
    std::string line;
    friend bool operator==(const LabelRow&, const LabelRow&) = default;
};

class LabelListModel {
  public:
    const std::vector<LabelRow>& rows() const { return rows_; }
    int count() const { return static_cast<int>(rows_.size()); }
    bool empty() const { return rows_.empty(); }
    void set_rows(std::vector<LabelRow> rows);

    int selected() const { return selected_; }  // -1 for none
    int focused() const { return focused_; }    // -1 for none
    void set_selected(int index);
    void set_focused(int index);

    std::function<void()> on_change;

  private:
    void changed() {
        if (on_change) on_change();
    }
    std::vector<LabelRow> rows_;
    int selected_ = -1;
    int focused_ = -1;
};

}  // namespace qvt::console
