#include "core/transfer/dropped_files.h"

#include "core/transfer/qfile.h"

namespace qvt::transfer {

void DroppedFiles::FilesDropped(const std::vector<std::string>& names) {
    std::string last;
    std::string last_ext;
    for (const std::string& full : names) {
        const std::string name = full.substr(0, kDroppedNameBytes);
        call(hooks_.bring_main_window_to_front);
        const std::string ext = upper_ascii(extension_of(name));
        if (ext != ".Q2K" && ext != ".P2K" && ext != ".MBK") {
            d_.dialogs.MessageBox(kCaption, "Invalid file type (" + name + ")",
                                  platform::MsgIcon::Error, platform::MsgButtons::Ok);
            return;
        }
        last = name;
        last_ext = ext;
    }
    if (last.empty()) return;
    d_.state.file_preselected = 1;
    if (last_ext == ".Q2K") {
        d_.files.Prg_File = last;
        d_.ops.files().Load68k();
    } else if (last_ext == ".P2K") {
        d_.files.Pnt_File = last;
        d_.ops.files().PLoad68k();
    } else {
        d_.files.Mbk_File = last;
        d_.ops.files().MBKLoad2000();
    }
}

}  // namespace qvt::transfer
