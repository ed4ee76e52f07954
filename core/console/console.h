// The terminal console assembled: the main window's state, line entry and
// history, the keyboard, the menu actions and the link adapters, wired to one
// another the way the program uses them.
//
// How it works: a Console lives as long as the main window. It borrows the
// link and platform objects (shared state, terminal control, pump, dialogs,
// clipboard, dialogue), the operations of the other subsystems and the profile
// values it reads and writes (file names, IME setting). A Qt window holds one,
// renders console.shell (on_change tells what to redraw), and forwards user
// actions: keys to console.keyboard, menu choices to console.menu.activate,
// focus moves and clicks to console.shell, history list keys and double clicks
// to console.commands.
#pragma once

#include <string>

#include "core/console/commands.h"
#include "core/console/file_names.h"
#include "core/console/keyboard.h"
#include "core/console/link_hooks.h"
#include "core/console/main_shell.h"
#include "core/console/menu_actions.h"
#include "core/console/operations.h"

namespace qvt::console {

struct ConsoleDeps {
    link::SharedState& state;
    platform::TerminalControl& term;
    platform::EventPump& pump;
    platform::Dialogs& dialogs;
    platform::Clipboard& clipboard;
    link::Dialogue& dialogue;
    Operations& ops;
    FileNames files;                 // bound to the profile's Prg_File, Pnt_File, Mbk_File
    const std::string& ime_enabled;  // the profile's "ime_enabled", "1" or "0"
};

class Console {
  public:
    explicit Console(const ConsoleDeps& deps);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    MainShell shell;
    Commands commands;
    Keyboard keyboard;
    MenuActions menu;
    ShellReceiveHooks receive_hooks;
    ConsoleRequestHooks request_hooks;
};

}  // namespace qvt::console
