#include "tests/support/scripted_dialogs.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace qvt::test {

platform::MsgResult ScriptedDialogs::MessageBox(const std::string& caption, const std::string& text,
                                                platform::MsgIcon icon,
                                                platform::MsgButtons buttons) {
    messages_.push_back(RecordedMessage{caption, text, icon, buttons});
    if (while_open) {
        const RecordedMessage shown = messages_.back();  // the handler may show more boxes
        while_open(shown);
    }
    if (!answers_.empty()) {
        const platform::MsgResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    const bool yes_no =
        buttons == platform::MsgButtons::YesNo || buttons == platform::MsgButtons::YesNoCancel;
    return yes_no ? platform::MsgResult::Yes : platform::MsgResult::Ok;
}

bool ScriptedDialogs::FileDialog(const platform::FileDialogRequest& request, std::string& path) {
    file_requests_.push_back(request);
    if (files_.empty()) return false;
    std::optional<std::string> answer = std::move(files_.front());
    files_.pop_front();
    if (!answer) return false;
    // The real dialog does not let a missing file through when it must exist.
    std::error_code ec;
    if (request.must_exist && !std::filesystem::exists(*answer, ec)) return false;
    path = std::move(*answer);
    return true;
}

}  // namespace qvt::test
