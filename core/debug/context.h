// What the debug tools borrow from the rest of the program.
//
// How it works: the tools talk to the controller through the link (shared
// state, terminal control, dialogue primitives), tell the user through the
// platform dialogs, and act on the main window through the console's shell
// (busy and ready states, focus). The session fills this once.
#pragma once

#include "core/console/main_shell.h"
#include "core/link/dialogue.h"
#include "core/link/shared_state.h"
#include "core/platform/dialogs.h"
#include "core/platform/terminal_control.h"

namespace qvt::debug {

struct DebugDeps {
    link::SharedState& state;
    platform::TerminalControl& term;
    link::Dialogue& dialogue;
    platform::Dialogs& dialogs;
    console::MainShell& shell;
};

}  // namespace qvt::debug
