// Editing program lines on the terminal screen: copying the selection (with
// or without the controller's line numbers), pasting onto the screen, and
// inserting and deleting a line between listed lines.
//
// How it works: the screen is the terminal control's; these operations read
// its rows and rewrite them with Disp, and send nothing except the line
// number that Linedel deletes. Copy goes through the debug page's log as its
// scratch space, so the log shows the last copy. A listed line is its number,
// a TAB shown as blanks up to the next multiple of 8 columns and the
// statement; copying without numbers turns such a line back into the
// statement. Lineins opens an empty row above the cursor row and offers the
// number halfway between its neighbours' numbers, for the user to complete
// and send with Enter; Linedel closes the cursor row and deletes its number's
// line in the controller, waiting for the prompt with transfer_mode taken so
// the echo does not reach the screen.
#pragma once

#include <string>

#include "core/console/operations.h"
#include "core/platform/clipboard.h"
#include "core/transfer/context.h"

namespace qvt::transfer {

// The copied text without line numbers: every listed line reduced to its
// statement, other lines as they are.
std::string without_step_numbers(const std::string& text);

class LineEditing : public console::EditingOperations {
  public:
    LineEditing(const TransferDeps& deps, platform::Clipboard& clipboard)
        : d_(deps), clipboard_(clipboard) {}

    void Copy_to_Clipboard(int without_numbers) override;
    void Paste_from_Clipboard() override;
    void Lineins(int blank) override;
    void Linedel() override;

  private:
    std::string row(int r);
    // The number a row starts with after its prompts, 0 when none.
    int row_number(int r);
    // The screen text from row `first` to the end, without the final line break.
    std::string rows_from(int first) const;

    TransferDeps d_;
    platform::Clipboard& clipboard_;
};

}  // namespace qvt::transfer
