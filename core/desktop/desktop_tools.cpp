#include "core/desktop/desktop_tools.h"

#include "core/desktop/web_reference.h"

namespace qvt::desktop {

namespace {

constexpr const char* kDesktopOpener = "xdg-open";

}  // namespace

DesktopTools::DesktopTools(const DesktopDeps& deps)
    : window_switch(deps.windows),
      lifecycle_(deps.lifecycle),
      dialogs_(deps.dialogs),
      term_(deps.term),
      dialogue_(deps.dialogue),
      profile_(deps.profile),
      processes_(deps.processes) {
    if (deps.state != nullptr && deps.pump != nullptr && deps.view != nullptr) {
        monitor_ = std::make_unique<MonitorBridge>(
            MonitorDeps{*deps.state, deps.term, *deps.pump, deps.dialogs, *deps.view,
                        deps.processes, deps.window_controls, deps.program_folder});
        // The reconnect stops the monitor before it opens the port again.
        lifecycle_.set_monitor(monitor_.get());
    }
}

DesktopTools::~DesktopTools() {
    if (monitor_) lifecycle_.set_monitor(nullptr);
}

bool DesktopTools::OpenWindowSwitch(bool preselect_last) {
    return window_switch.open_from_main(preselect_last);
}

void DesktopTools::WebReference() {
    std::string line;
    dialogue_.GetLineStr(term_.CursorRow(), line);
    const std::string word = reference_word(line, term_.CursorColumn());
    if (word.empty()) {
        dialogs_.MessageBox("QVTW", "カーソルをコマンドに合わせてください",
                            platform::MsgIcon::Error, platform::MsgButtons::Ok);
        return;
    }
    const std::string& host = profile_.reference_host;
    open_with_desktop(
        reference_address(host.empty() ? startup::kDefaultReferenceHost : host, word));
}

void DesktopTools::KVBMonitor() {
    if (!monitor_) return console::not_available(dialogs_, "The KVB monitor");
    monitor_->KVBMonitor1Click();
}

void DesktopTools::open_folder(const std::string& folder) {
    open_with_desktop(folder);
}

void DesktopTools::open_with_desktop(const std::string& target) {
    if (processes_ != nullptr && processes_->start_detached(kDesktopOpener, {target})) return;
    dialogs_.MessageBox("QVTW",
                        std::string("The desktop could not open\r\n") + target + "\r\n" +
                            kDesktopOpener + " could not be started (Debian package xdg-utils).",
                        platform::MsgIcon::Error, platform::MsgButtons::Ok);
}

}  // namespace qvt::desktop
