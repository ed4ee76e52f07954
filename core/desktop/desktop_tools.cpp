#include "core/desktop/desktop_tools.h"

namespace qvt::desktop {

DesktopTools::DesktopTools(const DesktopDeps& deps)
    : lifecycle_(deps.lifecycle), dialogs_(deps.dialogs) {}

bool DesktopTools::OpenWindowSwitch(bool) {
    console::not_available(dialogs_, "The window switch");
    return false;
}

void DesktopTools::WebReference() {
    console::not_available(dialogs_, "The web command reference");
}

void DesktopTools::KVBMonitor() {
    console::not_available(dialogs_, "The KVB monitor");
}

}  // namespace qvt::desktop
