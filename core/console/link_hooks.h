// The console's side of the link's callbacks: the receive handler's hooks and
// the request field's hooks, implemented by the main window's state and the
// console's keyboard and operations.
//
// How it works: the link knows only its hook interfaces; these adapters turn
// each hook into the call the console makes for it (the ready state, the
// receive counter in status panel 2, the break-point window through
// Operations, Enter through the keyboard, the program file name).
#pragma once

#include "core/console/file_names.h"
#include "core/console/keyboard.h"
#include "core/console/main_shell.h"
#include "core/console/operations.h"
#include "core/link/receive.h"
#include "core/link/request_field.h"

namespace qvt::console {

class ShellReceiveHooks : public link::ReceiveHooks {
  public:
    ShellReceiveHooks(MainShell& shell, Operations& ops) : shell_(shell), ops_(ops) {}

    void termmode_menu_enable() override { shell_.termmode_menu_enable(); }
    void show_rx_chunk(int n) override { shell_.show_rx_chunk(n); }
    bool break_point_window_visible() override { return ops_.debug().BreakPointWindowVisible(); }
    void close_break_point_window() override { ops_.debug().HideBreakPointWindow(); }
    void Break_Point_Set_Controls() override { ops_.debug().Break_Point_Set_Controls(); }
    void Break_Point(int arg) override { ops_.debug().Break_Point(arg); }
    void set_break_checkbox(bool ticked) override { ops_.debug().SetBreakCheckBox(ticked); }

  private:
    MainShell& shell_;
    Operations& ops_;
};

class ConsoleRequestHooks : public link::RequestHooks {
  public:
    ConsoleRequestHooks(Keyboard& keys, Operations& ops, FileNames files)
        : keys_(keys), ops_(ops), files_(files) {}

    void Load68k() override { ops_.files().Load68k(); }
    void CommKeyDown(int& key, platform::ShiftState shift) override {
        keys_.CommKeyDown(key, shift);
    }
    void set_Prg_File(const std::string& path) override { files_.Prg_File = path; }

  private:
    Keyboard& keys_;
    Operations& ops_;
    FileNames files_;
};

}  // namespace qvt::console
