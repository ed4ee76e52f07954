// The command history: the lines entered on the terminal, most recent first,
// each once.
//
// How it works: the history is the row list of the "Command (F3)" page, so the
// page shows exactly what is kept. A new line first cuts the list to 100
// entries, then drops its older copy and goes to the top, so after an
// insertion the list holds at most 101. Sorting alternates between ascending
// and descending (case ignored, stable); adding a line restarts with
// ascending.
#pragma once

#include <string>

#include "core/console/list_model.h"

namespace qvt::console {

class CommandHistory {
  public:
    explicit CommandHistory(ListModel& list) : list_(list) {}

    void SetHistory(const std::string& line);
    // Ins on the list: ascending, then descending, and so on.
    void sort_toggle();
    bool sort_descending_next() const { return descending_next_; }

    ListModel& list() { return list_; }

  private:
    ListModel& list_;
    bool descending_next_ = false;
};

}  // namespace qvt::console
