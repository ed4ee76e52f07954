#include "core/startup/settings.h"

#include "core/startup/launcher_rules.h"

namespace qvt::startup {

platform::FileDialogRequest editor_file_request(const std::string& current) {
    platform::FileDialogRequest request;
    request.save = false;
    request.overwrite_prompt = false;
    request.must_exist = false;
    request.title = "External Editor";
    request.filters = {{"exe files (*.exe)", "*.exe"}, {"All files (*)", "*"}};
    request.initial_file = current;
    return request;
}

SettingsDialog::SettingsDialog(ProfileValues& values, platform::Dialogs& dialogs,
                               std::function<void(const std::string&)> set_stop_text)
    : values_(values), dialogs_(dialogs), set_stop_text_(std::move(set_stop_text)) {}

void SettingsDialog::FormActivate() {
    controls.edit1 = values_.editor;
    controls.edit2 = values_.editor1;
    controls.check1 = values_.quit_connecting == "1";
    controls.check2 = values_.ime_enabled == "1";
    controls.edit3 = values_.reference_host;
    changed();
}

void SettingsDialog::Button1Click() {
    values_.editor = controls.edit1;
    values_.editor1 = controls.edit2;
    values_.quit_connecting = controls.check1 ? '1' : '0';
    if (set_stop_text_) set_stop_text_(stop_status_text(values_.quit_connecting));
    values_.ime_enabled = controls.check2 ? '1' : '0';
    values_.reference_host = controls.edit3;
}

void SettingsDialog::Select(std::string& edit) {
    std::string path = edit;
    if (dialogs_.FileDialog(editor_file_request(edit), path)) {
        edit = path;
        changed();
    }
}

}  // namespace qvt::startup
