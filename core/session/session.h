// One connected session: everything the program decides about the
// controller, the console and the transfers, in one object that exists
// before any window.
//
// How it works: the front end creates the platform objects (terminal
// control, event pump, dialogs, clipboard, port table, process runner) and
// then one Session. The session owns the shared state, the profile's values, the controller
// dialogue, the console (main window state, keyboard, local commands, menu
// actions), the receive processing, the request field, the connection's
// lifecycle, the transfers with the external editors and the screen's line
// editing, the debug tools and the desktop tools, built in that order and
// wired to one another here and nowhere else. Each subsystem hands its
// operations to the console's router as it is built; a later subsystem (IO
// checker) is one more member and one more provide() call.
//
// Windows are views created afterwards with a reference to the session: they
// render the models (console.shell, transfers.progress, ...) and forward the
// user's actions. What the lifecycle must do to windows goes through the
// LifecycleView the front end passes in.
//
// All waits block in one event pump that the session wraps, so end() can
// unwind every running wait at once when the program ends: nothing more is
// sent, the guards put the state back, temporary files are removed.
#pragma once

#include "core/console/console.h"
#include "core/console/operations.h"
#include "core/debug/debug_tools.h"
#include "core/desktop/desktop_tools.h"
#include "core/iocheck/io_checker.h"
#include "core/link/dialogue.h"
#include "core/link/lifecycle.h"
#include "core/link/receive.h"
#include "core/link/request_field.h"
#include "core/link/shared_state.h"
#include "core/platform/clipboard.h"
#include "core/platform/dialogs.h"
#include "core/platform/port_table.h"
#include "core/platform/processes.h"
#include "core/platform/terminal_control.h"
#include "core/platform/unwinding_pump.h"
#include "core/platform/windows.h"
#include "core/startup/profile.h"
#include "core/transfer/line_editing.h"
#include "core/transfer/transfers.h"

namespace qvt::session {

struct SessionPlatform {
    platform::TerminalControl& term;
    platform::EventPump& pump;
    platform::Dialogs& dialogs;
    platform::Clipboard& clipboard;
    const platform::PortTable& ports;
    // Starts the external editors; null starts nothing (a session without a
    // desktop, such as a benchmark's).
    platform::Processes* processes = nullptr;
    // The program's own folder, where an editor path starting with "\" lies.
    std::string program_folder{};
    // Other programs' windows (the window switch, the monitor program); null
    // sees none.
    platform::Windows* windows = nullptr;
    platform::WindowControls* window_controls = nullptr;
};

class Session {
  public:
    Session(const SessionPlatform& platform, link::LifecycleView& lifecycle_view);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The program is ending: every wait unwinds, now and from now on.
    void end() { pump.end_waits(); }
    bool ended() const { return pump.ended(); }

    platform::TerminalControl& term;
    platform::Dialogs& dialogs;
    platform::UnwindingPump pump;
    link::SharedState state;
    startup::ProfileValues profile;
    link::Dialogue dialogue;
    console::Operations ops;
    console::Console console;
    link::ReceiveProcessor receive;
    link::RequestField request;
    link::Lifecycle lifecycle;
    transfer::Transfers transfers;
    debug::DebugTools debug;
    iocheck::IoChecker io_checker;
    desktop::DesktopTools desktop;

  private:
    console::FileNames files() { return {profile.prg_file, profile.pnt_file, profile.mbk_file}; }
    transfer::TransferDeps transfer_deps(const SessionPlatform& p);

    transfer::ProgramStarter starter_;
    transfer::Editors editors_;
    transfer::LineEditing line_editing_;
    transfer::TransferOperations file_ops_;
};

}  // namespace qvt::session
