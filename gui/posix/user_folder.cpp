#include "gui/posix/user_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace qvt::posix {

namespace {

std::filesystem::path home_folder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    // A service account may run without HOME; the password database still knows.
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return std::filesystem::temp_directory_path();
}

}  // namespace

std::filesystem::path user_folder() {
    if (const char* dir = std::getenv("QVTW2K_HOME"); dir != nullptr && *dir != '\0') return dir;
    return home_folder() / ".config" / "qvtw2k";
}

std::filesystem::path ensure_user_folder() {
    auto dir = user_folder();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path ports_folder() {
    return user_folder() / "ports";
}

}  // namespace qvt::posix
