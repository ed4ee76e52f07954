// Modal dialogs for tests, recorded and answered from a script: a message box
// answers the next queued answer, else Ok (Yes when it asks yes or no), and runs
// while_open inside the call, as the real box pumps events; a file dialog answers
// the next queued path, and an empty queue, a queued nothing or a missing file
// that must exist is a cancel.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/clipboard.h"
#include "core/platform/dialogs.h"

namespace qvt::test {

struct RecordedMessage {
    std::string caption;
    std::string text;
    platform::MsgIcon icon = platform::MsgIcon::None;
    platform::MsgButtons buttons = platform::MsgButtons::Ok;
};

class ScriptedDialogs : public platform::Dialogs {
  public:
    platform::MsgResult MessageBox(const std::string& caption, const std::string& text,
                                   platform::MsgIcon icon, platform::MsgButtons buttons) override;
    bool FileDialog(const platform::FileDialogRequest& request, std::string& path) override;

    void push_answer(platform::MsgResult answer) { answers_.push_back(answer); }
    // nothing: the user cancels that dialog.
    void push_file(std::optional<std::string> path) { files_.push_back(std::move(path)); }

    const std::vector<RecordedMessage>& messages() const { return messages_; }
    const std::vector<platform::FileDialogRequest>& file_requests() const { return file_requests_; }
    // The text of the last message box, empty when there was none.
    std::string last_text() const {
        return messages_.empty() ? std::string() : messages_.back().text;
    }
    void clear() {
        messages_.clear();
        file_requests_.clear();
    }

    std::function<void(const RecordedMessage&)> while_open;

  private:
    std::deque<platform::MsgResult> answers_;
    std::deque<std::optional<std::string>> files_;
    std::vector<RecordedMessage> messages_;
    std::vector<platform::FileDialogRequest> file_requests_;
};

// The clipboard as a plain string.
class FakeClipboard : public platform::Clipboard {
  public:
    std::string text() const override { return text_; }
    void set_text(const std::string& text) override { text_ = text; }

  private:
    std::string text_;
};

}  // namespace qvt::test
