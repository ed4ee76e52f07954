// File-system facts only POSIX systems have (FIFOs, the file-size limit,
// permission bits, symbolic links a user may make). Elsewhere the helpers do
// nothing, and a case that needs them says why it is skipped.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

// Skips the rest of the calling test where the files lack `what`.
#define QVT_SKIP_UNLESS_POSIX_FILES(what) \
    if (!::qvt::test::kPosixFiles) GTEST_SKIP() << (what) << " are POSIX only"

namespace qvt::test {

#ifdef _WIN32
inline constexpr bool kPosixFiles = false;
inline bool make_fifo(const std::filesystem::path&) {
    return false;
}
// Names that exist but are no regular files (a device that never ends).
inline std::vector<std::string> special_files(const std::filesystem::path&) {
    return {"NUL"};
}
inline bool permissions_bind_the_user() {
    return true;
}
struct FileSizeLimit {
    explicit FileSizeLimit(std::uint64_t) {}
};
#else
inline constexpr bool kPosixFiles = true;
inline bool make_fifo(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0644) == 0;
}
inline std::vector<std::string> special_files(const std::filesystem::path& folder) {
    std::vector<std::string> out{"/dev/zero"};
    if (make_fifo(folder / "fifo")) out.push_back((folder / "fifo").string());
    return out;
}
// False where the user passes every permission check (root does).
inline bool permissions_bind_the_user() {
    return ::geteuid() != 0;
}
// While it lives, a write past `bytes` fails as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*old_handler_)(int) = std::signal(SIGXFSZ, SIG_IGN);
};
#endif

}  // namespace qvt::test
