// The operations that the menus, hot keys and local commands of the console
// start but that belong to other subsystems: files and transfers, line
// editing on the screen, the debug tools, the IO checker, the connection and
// the desktop.
//
// How it works: each subsystem implements one small interface; Operations is
// the router the console calls through (ops.files().Load68k()). The session
// hands each subsystem's implementation to the router once, when it builds
// that subsystem. Until a subsystem is provided its interface is served by a
// stand-in: an operation the user asked for says plainly, in a message box,
// that it is not available yet; housekeeping calls made in passing (hiding a
// window that does not exist, stopping a watch that cannot run) do nothing.
#pragma once

#include <string>

#include "core/platform/dialogs.h"

namespace qvt::console {

// Tells the user that what they asked for does not exist yet.
void not_available(platform::Dialogs& dialogs, const std::string& what);

class FileOperations {
  public:
    virtual ~FileOperations() = default;
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
};

class EditingOperations {
  public:
    virtual ~EditingOperations() = default;
    virtual void Copy_to_Clipboard(int without_step_numbers) = 0;
    virtual void Paste_from_Clipboard() = 0;
    virtual void Lineins(int blank) = 0;
    virtual void Linedel() = 0;
};

class DebugOperations {
  public:
    virtual ~DebugOperations() = default;
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
};

class IoOperations {
  public:
    virtual ~IoOperations() = default;
    // Shows the IO checker modally; returns when it has been closed.
    virtual void ShowIOCheckerModal() = 0;
};

class DesktopOperations {
  public:
    virtual ~DesktopOperations() = default;
    virtual void Disconnect1Click() = 0;
    // Opens the window switch preselecting the last entry (true) or the second
    // one; false when it was already open or found no window.
    virtual bool OpenWindowSwitch(bool preselect_last) = 0;
    virtual void WebReference() = 0;
    virtual void KVBMonitor() = 0;
};

class Operations {
  public:
    explicit Operations(platform::Dialogs& dialogs);
    Operations(const Operations&) = delete;
    Operations& operator=(const Operations&) = delete;

    FileOperations& files() { return *files_; }
    EditingOperations& editing() { return *editing_; }
    DebugOperations& debug() { return *debug_; }
    IoOperations& io() { return *io_; }
    DesktopOperations& desktop() { return *desktop_; }

    void provide(FileOperations& ops) { files_ = &ops; }
    void provide(EditingOperations& ops) { editing_ = &ops; }
    void provide(DebugOperations& ops) { debug_ = &ops; }
    void provide(IoOperations& ops) { io_ = &ops; }
    void provide(DesktopOperations& ops) { desktop_ = &ops; }

  private:
    struct Pending final : FileOperations,
                           EditingOperations,
                           DebugOperations,
                           IoOperations,
                           DesktopOperations {
        explicit Pending(platform::Dialogs& to) : dialogs(to) {}
        void not_yet(const std::string& what) { not_available(dialogs, what); }

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
        // Mode 1 is the window opening by itself at a break prompt: not a
        // request of the user, so no message.
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

        platform::Dialogs& dialogs;
    };

    Pending pending_;
    FileOperations* files_ = &pending_;
    EditingOperations* editing_ = &pending_;
    DebugOperations* debug_ = &pending_;
    IoOperations* io_ = &pending_;
    DesktopOperations* desktop_ = &pending_;
};

}  // namespace qvt::console
