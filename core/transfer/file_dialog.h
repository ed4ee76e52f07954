// OpenSaveFileDialog: the file dialog every transfer and editor launch uses.
//
// How it works: the options are those of the system's open and save dialogs
// (open or save, keep the current folder, ask before overwriting, accept only
// existing files, title, initial folder, filters as pairs of description and
// pattern, default extension). They are handed to the platform's file dialog;
// the name variable is preloaded into it (cut to the 260 bytes the dialog's
// name field holds) and receives the chosen name only on OK. A chosen name
// without an extension gets the default extension, whether or not the
// platform's dialog already appends it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/platform/dialogs.h"

namespace qvt::transfer {

struct FileDialogOptions {
    std::string default_ext;  // without dot: "Q2K"
    bool open = true;
    bool no_change_dir = false;
    bool overwrite_prompt = false;
    bool must_exist = false;
    std::string title;
    std::string initial_dir;  // empty: none
    std::vector<std::pair<std::string, std::string>> filter;
};

inline constexpr std::size_t kFileNameBufferBytes = 261;

// The platform request these options give for a preloaded name.
platform::FileDialogRequest make_file_request(const FileDialogOptions& options,
                                              const std::string& file_name);

// True and file_name set on OK; false and file_name unchanged on Cancel.
bool OpenSaveFileDialog(platform::Dialogs& dialogs, const FileDialogOptions& options,
                        std::string& file_name);

}  // namespace qvt::transfer
