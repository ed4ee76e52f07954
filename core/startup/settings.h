// The settings dialog: the two external editors, stop-at-connect, the IME
// switch and the web command reference's host, edited before connecting.
//
// How it works: the dialog's controls are a copy (SettingsControls) that the
// view shows and edits. FormActivate refills the copy from the profile values
// every time the dialog becomes active, so whatever a cancelled use left in
// the controls is gone; Button1Click (OK) stores the copy into the values and
// updates the launcher's "KVB Not Stop" panel at once. Select runs the file
// dialog for one editor field and changes only the control: nothing reaches
// the values before OK. The values reach the profile file when the main
// window closes.
#pragma once

#include <functional>
#include <string>

#include "core/platform/dialogs.h"
#include "core/startup/profile.h"

namespace qvt::startup {

struct SettingsControls {
    std::string edit1;    // program editor
    std::string edit2;    // point/MBK editor
    bool check1 = true;   // "KVB Program Stops at Connecting"
    bool check2 = false;  // "IME Enabled"
    std::string edit3;    // "Web Reference Host"
    friend bool operator==(const SettingsControls&, const SettingsControls&) = default;
};

// The file dialog of the "Select" buttons. Editors on this platform are
// usually programs without an extension, so the "exe" default extension is
// not appended and every file may be chosen besides "*.exe".
platform::FileDialogRequest editor_file_request(const std::string& current);

class SettingsDialog {
  public:
    // set_stop_text shows a text in the launcher's status panel 2.
    SettingsDialog(ProfileValues& values, platform::Dialogs& dialogs,
                   std::function<void(const std::string&)> set_stop_text);

    SettingsControls controls;
    std::function<void()> on_change;  // the controls were changed by the model

    void FormActivate();
    void Button1Click();  // OK
    void Button3Click() { Select(controls.edit1); }
    void Button4Click() { Select(controls.edit2); }

  private:
    void Select(std::string& edit);
    void changed() {
        if (on_change) on_change();
    }

    ProfileValues& values_;
    platform::Dialogs& dialogs_;
    std::function<void(const std::string&)> set_stop_text_;
};

}  // namespace qvt::startup
