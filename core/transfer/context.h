// What the transfers borrow from the rest of the program, in one place.
//
// How it works: the transfers run on the link (shared state, terminal control,
// event pump, dialogue primitives), report through the platform dialogs, and
// act on the main window through the console (its state, the gate, focus, the
// debug log, CommandExec and the local commands). Windows that other
// subsystems own (the break-point window, the floating watch, the desktop's
// folder browser) are reached through hooks; an unset hook does nothing, so a
// program without those windows still runs the transfers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/console/commands.h"
#include "core/console/file_names.h"
#include "core/console/main_shell.h"
#include "core/console/operations.h"
#include "core/link/dialogue.h"
#include "core/link/shared_state.h"
#include "core/platform/dialogs.h"
#include "core/platform/event_pump.h"
#include "core/platform/terminal_control.h"

namespace qvt::transfer {

inline constexpr const char* kCaption = "QVTW2K";
inline constexpr const char* kFileCaption = "QVTW";

struct TransferHooks {
    std::function<void()> hide_break_point_window;
    std::function<void()> close_watch_window_if_visible;
    std::function<void()> quit_watch;
    // The label list's first column loses the width of a vertical scroll bar
    // plus 5 pixels; relayout: switch its automatic width off and on around
    // that and nudge the list's width, as after reading labels from a file.
    std::function<void(bool relayout)> narrow_label_column;
    // Opens a folder in the desktop's file browser.
    std::function<void(const std::string& folder)> open_folder;
    // Brings the main window to the foreground (a file was dropped on it).
    std::function<void()> bring_main_window_to_front;
    // Pops up the file-history action menu (Load, Save, Edit, File Explorer)
    // where FileHistories::popup_position() says; the view calls back
    // LOAD2Click and the others.
    std::function<void()> show_file_menu;
    // The connection lifecycle's revision query ("VER"), which the load asks
    // before it clears the program; unset: nothing is asked.
    std::function<int()> GetKVB68KVersion;
};

inline void call(const std::function<void()>& fn) {
    if (fn) fn();
}

struct TransferDeps {
    link::SharedState& state;
    platform::TerminalControl& term;
    platform::EventPump& pump;
    link::Dialogue& dialogue;
    platform::Dialogs& dialogs;
    console::MainShell& shell;
    console::Commands& commands;
    // The whole program's operations (the point and MBK loads that dropped
    // files start belong to other subsystems).
    console::Operations& ops;
    console::FileNames files;
};

// The core module's line counter that the load and the label reader share:
// the file line a label is declared on.
struct LoadCounter {
    std::int32_t load_line_no = 1;
};

}  // namespace qvt::transfer
