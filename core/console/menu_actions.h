// The operation behind every main-menu entry.
//
// How it works: a view calls activate() with the entry the user chose. An
// entry marked gated in the menu table first asks Func_Check(false); when the
// gate refuses, the terminal gets the focus and nothing else happens. The
// operation is the entry's row of the menu table: the console's own (LIST,
// RUN, Stop, clear screen, IO checker, exit) or one of Operations.
#pragma once

#include "core/console/commands.h"
#include "core/console/main_shell.h"
#include "core/console/menu_table.h"
#include "core/console/operations.h"
#include "core/link/dialogue.h"

namespace qvt::console {

class MenuActions {
  public:
    MenuActions(MainShell& shell, Commands& commands, link::Dialogue& dialogue, Operations& ops)
        : shell_(shell), commands_(commands), dialogue_(dialogue), ops_(ops) {}

    void activate(MenuItem item);

  private:
    MainShell& shell_;
    Commands& commands_;
    link::Dialogue& dialogue_;
    Operations& ops_;
};

}  // namespace qvt::console
