// The label list ("Label (F2)" page): the labels of a program with the file
// line each is declared on, sorting, and a jump to a label on the terminal.
//
// How it works: the rows live in the console's LabelListModel, which the page
// draws. A label line starts with "*"; its name runs to the first ":" (at most
// 255 bytes, trimmed) and a line with an empty name declares nothing. The list
// is filled by the program load as it sends lines, and by Label_Read from a
// file without talking to the controller. Both number lines with the shared
// load_line_no, so a label's line is its line in the file.
//
// Sorting is by one column at a time, and a single direction flag toggles
// after every sort whichever column was clicked: names compare as upper-cased
// bytes (first sort ascending), line numbers as integers (first sort
// descending). The sort is stable, so equal keys keep their file order.
//
// Enter or double-click puts "LIST *NAME " on the terminal line for the user to
// complete; a click on the empty list offers to read labels from a file.
#pragma once

#include <cstdint>
#include <string>

#include "core/console/list_model.h"
#include "core/transfer/context.h"

namespace qvt::transfer {

class LabelList {
  public:
    LabelList(const TransferDeps& deps, const TransferHooks& hooks, LoadCounter& counter);

    // The label declared by text (after trimming), if any, as line line_no.
    void ListView_Add(std::int32_t line_no, const std::string& text);
    void clear();
    void Label_Read();

    // ---- the page's handlers ------------------------------------------------
    void ListView1ColumnClick(int column);
    // Negative when a comes first under the current column and direction.
    int ListView1Compare(const console::LabelRow& a, const console::LabelRow& b) const;
    void ListView1KeyDown(int& key, platform::ShiftState shift);
    void ListView1DblClick();
    void ListView1Click();

    int sort_column() const { return sort_column_; }
    bool sort_flag() const { return sort_flag_ != 0; }

  private:
    console::LabelListModel& model() { return d_.shell.labels(); }

    TransferDeps d_;
    const TransferHooks& hooks_;
    LoadCounter& counter_;
    std::int32_t sort_column_ = 0;
    std::uint8_t sort_flag_ = 0;
};

// The label a line declares (empty when none).
std::string label_name_of(const std::string& text);

}  // namespace qvt::transfer
