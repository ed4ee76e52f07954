// The files-and-transfer subsystem assembled, and its place among the
// program's operations.
//
// How it works: Transfers owns the progress dialog's model, the file
// histories, the label list, the program, point and MBK saves and loads and
// the drop handler, wired to one another (the transfers record their files in
// the histories, the load fills the label list) and to the console and link
// they borrow.
// TransferOperations is what the session hands the console's Operations as
// the file operations, so the menus, hot keys, local commands SAVE and LOAD
// and the label list's click reach this code.
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
#include "core/transfer/data_transfer.h"
#include "core/transfer/dropped_files.h"
#include "core/transfer/editors.h"
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
    DataTransfer points;
    DataTransfer mbk;
    DroppedFiles drops;
};

// The file operations of the console's menus, keys, local commands and
// dropped files. The editor launches go to the Editors the session passes;
// without them (the transfers tested alone) they say they are not available.
class TransferOperations : public console::FileOperations {
  public:
    TransferOperations(Transfers& transfers, platform::Dialogs& dialogs, Editors* editors = nullptr)
        : transfers_(transfers), dialogs_(dialogs), editors_(editors) {}

    void Load68k() override { transfers_.load.Load68k(); }
    void Save68k() override { transfers_.save.Save68k(); }
    void Label_Read() override { transfers_.labels.Label_Read(); }
    void LabelListClick() override { transfers_.labels.ListView1Click(); }
    void PLoad68k() override { transfers_.points.Load(); }
    void PSave2000() override { transfers_.points.Save(); }
    void MBKLoad2000() override { transfers_.mbk.Load(); }
    void MBKSave2000() override { transfers_.mbk.Save(); }
    void Edit_Prg(int mode) override { edit(&Editors::Edit_Prg, mode, "Program editing"); }
    void Edit_pnt(int mode) override { edit(&Editors::Edit_pnt, mode, "Point editing"); }
    void Edit_Mbk(int mode) override { edit(&Editors::Edit_Mbk, mode, "MBK editing"); }

  private:
    void not_yet(const std::string& what) { console::not_available(dialogs_, what); }
    void edit(void (Editors::*launch)(int), int mode, const std::string& what) {
        if (editors_ == nullptr) return not_yet(what);
        (editors_->*launch)(mode);
    }

    Transfers& transfers_;
    platform::Dialogs& dialogs_;
    Editors* editors_;
};

}  // namespace qvt::transfer
