#include "core/transfer/file_dialog.h"

#include "core/transfer/qfile.h"

namespace qvt::transfer {

platform::FileDialogRequest make_file_request(const FileDialogOptions& options,
                                              const std::string& file_name) {
    platform::FileDialogRequest request;
    request.save = !options.open;
    request.overwrite_prompt = options.overwrite_prompt;
    request.must_exist = options.must_exist;
    request.no_change_dir = options.no_change_dir;
    request.title = options.title;
    request.filters = options.filter;
    request.default_extension = options.default_ext;
    std::string preload = file_name.substr(0, kFileNameBufferBytes - 1);
    const bool has_folder = preload.find_first_of("/\\") != std::string::npos;
    if (!options.initial_dir.empty() && !has_folder) {
        preload = options.initial_dir + "/" + preload;
    }
    request.initial_file = preload;
    return request;
}

bool OpenSaveFileDialog(platform::Dialogs& dialogs, const FileDialogOptions& options,
                        std::string& file_name) {
    const platform::FileDialogRequest request = make_file_request(options, file_name);
    std::string chosen = request.initial_file;
    if (!dialogs.FileDialog(request, chosen)) return false;
    if (chosen.empty()) return false;
    if (!options.default_ext.empty() && extension_of(chosen).empty()) {
        chosen += "." + options.default_ext;
    }
    file_name = chosen;
    return true;
}

}  // namespace qvt::transfer
