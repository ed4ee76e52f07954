// Other programs' top-level windows on an X11 desktop, through the window
// manager's standard properties.
//
// How it works: the managed windows are the root window's client list in
// stacking order (_NET_CLIENT_LIST_STACKING, else _NET_CLIENT_LIST), read
// topmost first; a window's title is _NET_WM_NAME (else WM_NAME), its class
// WM_CLASS, its owner WM_TRANSIENT_FOR and its process _NET_WM_PID, whose
// executable and command line come from /proc. A window is raised by asking
// the window manager to activate it (_NET_ACTIVE_WINDOW), which also restores
// a minimised one. The connection to the X server is our own, opened at the
// first use; on any other desktop (Wayland), or without a window manager,
// nothing is listed.
#pragma once

#include <memory>

#include "core/platform/windows.h"

namespace qvt::gui {

class X11Windows : public platform::Windows {
  public:
    X11Windows();
    ~X11Windows() override;
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool can_list() const override;
    std::vector<platform::TopLevelWindow> top_level_windows() override;
    bool activate(platform::WindowId id) override;

  private:
    struct Connection;
    std::unique_ptr<Connection> x_;
};

}  // namespace qvt::gui
