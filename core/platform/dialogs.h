// Modal dialogs: the message box and the open/save file dialog.
//
// How it works: each call shows a modal dialog and returns only when the user
// has answered, pumping events meanwhile (timers and serial arrivals go on).
// Texts are bytes as the rest of the system holds them; the implementation
// decodes them for display. Tests substitute a scripted implementation that
// records what was asked and answers from a queue.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qvt::platform {

enum class MsgIcon { None, Error, Warning, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    bool save = false;  // save dialog, else open dialog
    // Ask before a chosen existing file is replaced (save dialogs).
    bool overwrite_prompt = false;
    // Accept only names of files that exist.
    bool must_exist = false;
    // Leave the process's current folder where it was, whatever folder the
    // user browsed to.
    bool no_change_dir = false;
    std::string title;
    // Filters as pairs (description, pattern such as "*.Q2K").
    std::vector<std::pair<std::string, std::string>> filters;
    std::string default_extension;  // appended when the chosen name has none
    std::string initial_file;       // preloaded name (folder taken from it)
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual MsgResult MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // Returns true and the chosen path on OK; false (path untouched) on cancel.
    virtual bool FileDialog(const FileDialogRequest& request, std::string& path) = 0;
};

}  // namespace qvt::platform
