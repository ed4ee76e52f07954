#include "posix/user_folder.h"

#include <system_error>

#include "core/platform/file_system.h"

namespace qvt::posix {

std::filesystem::path ensure_user_folder() {
    auto dir = platform::user_folder().path;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path ports_folder() {
    return platform::user_folder().path / "ports";
}

}  // namespace qvt::posix
