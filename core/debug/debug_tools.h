// The debug operations the console's menus and keys start: the task list,
// clearing outputs and the variable watch work; the break-point window does
// not exist yet.
//
// How it works: the session owns one DebugTools and hands it to the router
// with one provide() call. It owns the task list and the "CLR_OUTP" dialog's
// model (which the front end's dialog views) and the variable watch's
// model (which its floating window views). Of the rest, what the user asks
// for says plainly that it is not available yet; the housekeeping calls that
// other operations make in passing (hide the break-point window, stop the
// watch) do nothing, since there is nothing to hide or stop.
#pragma once

#include "core/console/operations.h"
#include "core/debug/clear_outputs.h"
#include "core/debug/context.h"
#include "core/debug/task_list.h"
#include "core/debug/watch.h"

namespace qvt::debug {

class DebugTools final : public console::DebugOperations {
  public:
    explicit DebugTools(const DebugDeps& deps);

    TaskList task_list;
    ClearOutputs clear_outputs;
    Watch watch;

    void MonList() override { task_list.MonList(); }
    void clr_outp() override { clear_outputs.clr_outp(); }

    void ShowWatchWindow() override { watch.ShowWatchWindow(); }
    void CloseWatchWindowIfVisible() override { watch.CloseWatchWindowIfVisible(); }
    void Quit_Watch() override { watch.Quit_Watch(); }
    void Break_Point(int mode) override;
    void Break_Point_Set_Controls() override {}
    void HideBreakPointWindow() override {}
    bool BreakPointWindowVisible() override { return false; }
    void SetBreakCheckBox(bool) override {}
    void DisableBreakPointButton() override {}

  private:
    platform::Dialogs& dialogs_;
};

}  // namespace qvt::debug
