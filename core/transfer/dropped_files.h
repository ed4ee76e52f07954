// Files dropped on the main window from the desktop's file browser.
//
// How it works: the view hands over the dropped names in drop order. Each name
// (cut to 254 bytes) must end in .Q2K, .P2K or .MBK (case ignored); the first
// that does not is reported as "Invalid file type (name)" and the whole drop
// is ignored. Otherwise the last name decides: it becomes the current program,
// point or MBK file, file_preselected is set, and the matching load starts
// with its confirmation box instead of a file dialog.
#pragma once

#include <string>
#include <vector>

#include "core/transfer/context.h"

namespace qvt::transfer {

inline constexpr std::size_t kDroppedNameBytes = 254;

class DroppedFiles {
  public:
    DroppedFiles(const TransferDeps& deps, const TransferHooks& hooks) : d_(deps), hooks_(hooks) {}

    void FilesDropped(const std::vector<std::string>& names);

  private:
    TransferDeps d_;
    const TransferHooks& hooks_;
};

}  // namespace qvt::transfer
