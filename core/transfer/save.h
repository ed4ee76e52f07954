// Program save (Save68k): the program in the controller to a .Q2K file.
//
// How it works: after the file is chosen, the controller's running program is
// stopped with Ctrl-A, the progress dialog goes up over the disabled main
// window, transfer_mode keeps the receive handler away, and "LIST 0 0" makes
// the controller list its whole program. Every block that arrives goes through
// the ListingParser into a temporary file beside the target; the loop blocks
// in the event pump while the line is silent and ends only at the controller's
// prompt (Abort makes the parser send Ctrl-A at the next line feed, which
// brings that prompt). The temporary file then replaces the target, also after
// an abort, which keeps the lines received so far. "LIST 0 20" and the result
// box close the exchange, and a carriage return asks for a fresh prompt.
//
// When something fails on the way (the port vanishes, the disk is full, the
// file cannot be replaced), the temporary file is dropped so the old file stays
// as it was, the dialog is hidden, the main window, transfer_mode and the
// ready state are put back, and the user is told what happened.
#pragma once

#include "core/transfer/context.h"
#include "core/transfer/progress.h"

namespace qvt::transfer {

class ProgramSave {
  public:
    ProgramSave(const TransferDeps& deps, const TransferHooks& hooks, ProgressModel& progress,
                std::function<void(const std::string&, const std::string&)> record_history);

    void Save68k();

  private:
    void run_listing();
    void recover(const std::string& what, bool file_replaced);

    TransferDeps d_;
    const TransferHooks& hooks_;
    ProgressModel& progress_;
    std::function<void(const std::string&, const std::string&)> record_history_;
};

}  // namespace qvt::transfer
