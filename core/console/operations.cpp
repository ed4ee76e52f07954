#include "core/console/operations.h"

namespace qvt::console {

Operations::Operations(platform::Dialogs& dialogs) : pending_(dialogs) {}

void not_available(platform::Dialogs& dialogs, const std::string& what) {
    dialogs.MessageBox("QVTW2K", what + " is not available yet.", platform::MsgIcon::Information,
                       platform::MsgButtons::Ok);
}

}  // namespace qvt::console
