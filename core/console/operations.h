// The operations that the menus, hot keys and local commands of the console
// start but that belong to other subsystems (transfers, line editing, debug
// tools, the IO checker, desktop integration, the connection).
//
// How it works: the console calls every such operation through this interface
// and never knows who implements it. PendingOperations is the stand-in until a
// subsystem exists: an operation the user asked for says plainly, in a message
// box, that it is not available yet; housekeeping calls made in passing
// (hiding a window that does not exist, stopping a watch that cannot run) do
// nothing. The application derives from PendingOperations and overrides what
// its subsystems provide.
#pragma once

#include <string>

#include "core/platform/dialogs.h"

namespace qvt::console {

class Operations {
  public:
    virtual ~Operations() = default;

    // ---- files and transfer ----------------------------------------------
    virtual void Load68k() = 0;
    virtual void Save68k() = 0;
    virtual void Label_Read() = 0;
    virtual void PLoad68k() = 0;
    virtual void PSave2000() = 0;
    virtual void MBKLoad2000() = 0;
    virtual void MBKSave2000() = 0;
    virtual void Edit_Prg(int mode) = 0;
    virtual void Edit_pnt(int mode) = 0;
    virtual void Edit_Mbk(int mode) = 0;
    // The label list's click handler: offers to read labels when it is empty.
    virtual void LabelListClick() = 0;

    // ---- line editing on the screen ----------------------------------------
    virtual void Copy_to_Clipboard(int without_step_numbers) = 0;
    virtual void Paste_from_Clipboard() = 0;
    virtual void Lineins(int blank) = 0;
    virtual void Linedel() = 0;

    // ---- debug tools ---------------------------------------------------------
    virtual void MonList() = 0;
    virtual void ShowWatchWindow() = 0;
    virtual void CloseWatchWindowIfVisible() = 0;
    virtual void Quit_Watch() = 0;
    virtual void Break_Point(int mode) = 0;
    virtual void Break_Point_Set_Controls() = 0;
    virtual void HideBreakPointWindow() = 0;
    virtual bool BreakPointWindowVisible() = 0;
    // The break-point window's "Break" check box; called for nearly every
    // received byte, so it must be cheap.
    virtual void SetBreakCheckBox(bool ticked) = 0;
    // Disables the break-point window's Button7 after a stop from the keyboard.
    virtual void DisableBreakPointButton() = 0;
    virtual void clr_outp() = 0;

    // ---- IO checker ----------------------------------------------------------
    // Shows the IO checker modally; returns when it has been closed.
    virtual void ShowIOCheckerModal() = 0;

    // ---- connection and desktop ----------------------------------------------
    virtual void Disconnect1Click() = 0;
    // Opens the window switch preselecting the last entry (true) or the second
    // one; false when it was already open or found no window.
    virtual bool OpenWindowSwitch(bool preselect_last) = 0;
    virtual void WebReference() = 0;
    virtual void KVBMonitor() = 0;
};

class PendingOperations : public Operations {
  public:
    explicit PendingOperations(platform::Dialogs& dialogs) : dialogs_(dialogs) {}

    void Load68k() override { not_yet("Program load"); }
    void Save68k() override { not_yet("Program save"); }
    void Label_Read() override { not_yet("Reading labels"); }
    void PLoad68k() override { not_yet("Point load"); }
    void PSave2000() override { not_yet("Point save"); }
    void MBKLoad2000() override { not_yet("MBK load"); }
    void MBKSave2000() override { not_yet("MBK save"); }
    void Edit_Prg(int) override { not_yet("Program editing"); }
    void Edit_pnt(int) override { not_yet("Point editing"); }
    void Edit_Mbk(int) override { not_yet("MBK editing"); }
    void LabelListClick() override { not_yet("The label list"); }
    void Copy_to_Clipboard(int) override { not_yet("Copy"); }
    void Paste_from_Clipboard() override { not_yet("Paste"); }
    void Lineins(int) override { not_yet("Line insert"); }
    void Linedel() override { not_yet("Line delete"); }
    void MonList() override { not_yet("The task list"); }
    void ShowWatchWindow() override { not_yet("The variable watch"); }
    void CloseWatchWindowIfVisible() override {}
    void Quit_Watch() override {}
    // Mode 1 is the window opening by itself at a break prompt: not a request
    // of the user, so no message.
    void Break_Point(int mode) override {
        if (mode == 0) not_yet("The break-point window");
    }
    void Break_Point_Set_Controls() override {}
    void HideBreakPointWindow() override {}
    bool BreakPointWindowVisible() override { return false; }
    void SetBreakCheckBox(bool) override {}
    void DisableBreakPointButton() override {}
    void clr_outp() override { not_yet("Clearing outputs"); }
    void ShowIOCheckerModal() override { not_yet("The IO checker"); }
    void Disconnect1Click() override { not_yet("Disconnecting"); }
    bool OpenWindowSwitch(bool) override {
        not_yet("The window switch");
        return false;
    }
    void WebReference() override { not_yet("The web command reference"); }
    void KVBMonitor() override { not_yet("The KVB monitor"); }

  protected:
    void not_yet(const std::string& what) {
        dialogs_.MessageBox("QVTW2K", what + " is not available yet.",
                            platform::MsgIcon::Information, platform::MsgButtons::Ok);
    }

  private:
    platform::Dialogs& dialogs_;
};

}  // namespace qvt::console
