// The desktop operations the console's menus and keys start: disconnecting,
// the window switch, the web command reference and the monitor program.
//
// How it works: the session owns one DesktopTools and hands it to the router
// with one provide() call. Disconnecting is the connection lifecycle's own
// operation; the rest reach other programs on the desktop through the
// platform's process interface.
#pragma once

#include "core/console/operations.h"
#include "core/link/lifecycle.h"
#include "core/platform/dialogs.h"

namespace qvt::desktop {

struct DesktopDeps {
    link::Lifecycle& lifecycle;
    platform::Dialogs& dialogs;
};

class DesktopTools final : public console::DesktopOperations {
  public:
    explicit DesktopTools(const DesktopDeps& deps);

    void Disconnect1Click() override { lifecycle_.Disconnect1Click(); }
    bool OpenWindowSwitch(bool preselect_last) override;
    void WebReference() override;
    void KVBMonitor() override;

  private:
    link::Lifecycle& lifecycle_;
    platform::Dialogs& dialogs_;
};

}  // namespace qvt::desktop
