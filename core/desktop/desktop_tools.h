// The desktop operations the console's menus and keys start: disconnecting,
// the window switch, the web command reference and the monitor program, and
// opening folders and addresses with the desktop's own handlers.
//
// How it works: the session owns one DesktopTools and hands it to the router
// with one provide() call. Disconnecting is the connection lifecycle's own
// operation; the rest reach other programs on the desktop through the
// platform's process interface, always with an argument vector, so a word or
// folder name reaches the handler as the one argument it is. The desktop's
// handler for a folder or an address is xdg-open: it opens a folder in the
// file manager and an address in the default browser.
#pragma once

#include <memory>
#include <string>

#include "core/console/operations.h"
#include "core/desktop/monitor_bridge.h"
#include "core/desktop/window_switch.h"
#include "core/link/dialogue.h"
#include "core/link/lifecycle.h"
#include "core/platform/dialogs.h"
#include "core/platform/processes.h"
#include "core/platform/terminal_control.h"
#include "core/startup/profile.h"

namespace qvt::desktop {

struct DesktopDeps {
    link::Lifecycle& lifecycle;
    platform::Dialogs& dialogs;
    platform::TerminalControl& term;
    link::Dialogue& dialogue;
    // The web reference's host comes from here, as the Settings dialog left it.
    const startup::ProfileValues& profile;
    // Null opens nothing (a session without a desktop, such as a benchmark's).
    platform::Processes* processes = nullptr;
    // The monitor program's share: where it lies, the port it takes over, the
    // main window it parks, and the windows it is reached through.
    link::SharedState* state = nullptr;
    platform::EventPump* pump = nullptr;
    link::LifecycleView* view = nullptr;
    std::string program_folder{};
    platform::Windows* windows = nullptr;
    platform::WindowControls* window_controls = nullptr;
};

class DesktopTools final : public console::DesktopOperations {
  public:
    explicit DesktopTools(const DesktopDeps& deps);
    ~DesktopTools() override;
    DesktopTools(const DesktopTools&) = delete;
    DesktopTools& operator=(const DesktopTools&) = delete;

    void Disconnect1Click() override { lifecycle_.Disconnect1Click(); }
    bool OpenWindowSwitch(bool preselect_last) override;
    // Opens the reference page on the word under the terminal cursor.
    void WebReference() override;
    void KVBMonitor() override;

    // Opens a folder in the file manager (the file histories' "File Explorer").
    void open_folder(const std::string& folder);

    WindowSwitch window_switch;

  private:
    // Hands a folder or an address to the desktop's handler; tells the user
    // when no handler could be started, since nothing else would show it.
    void open_with_desktop(const std::string& target);

    link::Lifecycle& lifecycle_;
    platform::Dialogs& dialogs_;
    platform::TerminalControl& term_;
    link::Dialogue& dialogue_;
    const startup::ProfileValues& profile_;
    platform::Processes* processes_;
    std::unique_ptr<MonitorBridge> monitor_;
};

}  // namespace qvt::desktop
