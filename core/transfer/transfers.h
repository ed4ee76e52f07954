// The files-and-transfer subsystem assembled, and its place among the
// program's operations.
//
// How it works: Transfers owns the progress dialog's model, the file
// histories, the label list, the program save and load and the drop handler,
// wired to one another (the transfers record their files in the histories,
// the load fills the label list) and to the console and link they borrow.
// TransferOperations plugs them into the console's Operations: the program
// derives its operations from it (or forwards to it), so the menus, hot keys
// and local commands SAVE, LOAD and the label list's click reach this code.
//
// A window layer renders `progress` (and disables the main window while
// progress.main_window_enabled() is false), forwards Abort, deactivation and
// caption drags to it, forwards the label list's and the file histories'
// keys, clicks and double clicks to `labels` and `histories`, pops up the
// file menu when hooks.show_file_menu asks, and hands dropped files to
// `drops`.
#pragma once

#include "core/console/operations.h"
#include "core/transfer/context.h"
#include "core/transfer/dropped_files.h"
#include "core/transfer/file_histories.h"
#include "core/transfer/label_list.h"
#include "core/transfer/load.h"
#include "core/transfer/progress.h"
#include "core/transfer/save.h"

namespace qvt::transfer {

class Transfers {
  public:
    explicit Transfers(const TransferDeps& deps, TransferHooks hooks = {});
    Transfers(const Transfers&) = delete;
    Transfers& operator=(const Transfers&) = delete;

    TransferHooks hooks;
    LoadCounter counter;
    ProgressModel progress;
    FileHistories histories;
    LabelList labels;
    ProgramSave save;
    ProgramLoad load;
    DroppedFiles drops;
};

// The console's operations with the program transfers and the label list in
// place; everything else stays "not available yet" until overridden.
class TransferOperations : public console::PendingOperations {
  public:
    explicit TransferOperations(platform::Dialogs& dialogs) : PendingOperations(dialogs) {}

    // The operations exist before the console that Transfers borrows, so the
    // subsystem is attached once everything is built.
    void attach(Transfers* transfers) { transfers_ = transfers; }

    void Load68k() override;
    void Save68k() override;
    void Label_Read() override;
    void LabelListClick() override;

  private:
    Transfers* transfers_ = nullptr;
};

}  // namespace qvt::transfer
