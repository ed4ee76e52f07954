// The debug operations the console's menus and keys start: the task list,
// clearing outputs, the variable watch and the break-point window.
//
// How it works: the session owns one DebugTools and hands it to the router
// with one provide() call. It owns the task list and the "CLR_OUTP" dialog's
// model (which the front end's dialog views), the variable watch's model
// (which its floating window views) and the break-point window's model;
// the receive processing reaches the break-point window through the same
// operations.
#pragma once

#include "core/console/operations.h"
#include "core/debug/break_points.h"
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
    BreakPoints break_points;

    void MonList() override { task_list.MonList(); }
    void clr_outp() override { clear_outputs.clr_outp(); }

    void ShowWatchWindow() override { watch.ShowWatchWindow(); }
    void CloseWatchWindowIfVisible() override { watch.CloseWatchWindowIfVisible(); }
    void Quit_Watch() override { watch.Quit_Watch(); }
    // The window opens alike from the menu, F8 and the break prompt.
    void Break_Point(int) override { break_points.Break_Point(); }
    void Break_Point_Set_Controls() override { break_points.Break_Point_Set_Controls(); }
    void HideBreakPointWindow() override { break_points.hide(); }
    bool BreakPointWindowVisible() override { return break_points.visible(); }
    void SetBreakCheckBox(bool ticked) override { break_points.set_break_checkbox(ticked); }
    void DisableBreakPointButton() override { break_points.disable_cont(); }

  private:
    platform::Dialogs& dialogs_;
};

}  // namespace qvt::debug
