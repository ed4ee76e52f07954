// Program save (Save68k): the program in the controller to a .Q2K file.
//
// How it works: after the file is chosen, the transfer scaffold stops the
// controller's program with Ctrl-A and puts the progress dialog up over the
// disabled main window with transfer_mode taken; "LIST 0 0" makes the
// controller list its whole program. Every block that arrives goes through
// the ListingParser into a temporary file beside the target; the read loop
// blocks in the event pump while the line is silent and ends at the
// controller's prompt or at once on Abort (Ctrl-A then asks for the prompt).
// The temporary file then replaces the target, except after an abort when the
// target already existed: an aborted save never costs the user the old file.
// "LIST 0 20" and the result box close the exchange, and a carriage return
// asks for a fresh prompt.
//
// When something fails on the way (the port vanishes, the disk is full, the
// file cannot be replaced), the temporary file is dropped so the old file stays
// as it was, the scaffold puts the window and the shared state back, and the
// user is told what happened.
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
    TransferDeps d_;
    const TransferHooks& hooks_;
    ProgressModel& progress_;
    std::function<void(const std::string&, const std::string&)> record_history_;
};

}  // namespace qvt::transfer
