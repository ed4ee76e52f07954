// File-system facts only POSIX systems have (FIFOs, the file-size limit,
// permission bits, symbolic links a user may make), for the cases that need
// them. Elsewhere these do nothing and the case says why it is skipped:
//
//   QVT_SKIP_UNLESS_POSIX_FILES("FIFOs");
#pragma once

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qvt::test {

#ifdef _WIN32
inline constexpr bool kPosixFiles = false;
#else
inline constexpr bool kPosixFiles = true;
#endif

// Skips the rest of the calling test where the files lack `what`.
#define QVT_SKIP_UNLESS_POSIX_FILES(what)                                           \
    do {                                                                            \
        if (!::qvt::test::kPosixFiles) GTEST_SKIP() << (what) << " are POSIX only"; \
    } while (false)

// A FIFO at `path`; false where there are none.
inline bool make_fifo(const std::filesystem::path& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0644) == 0;
#endif
}

// Names that exist but are no regular files and never end or never answer:
// a device, and a FIFO made in `folder` where there are FIFOs.
inline std::vector<std::string> special_files(const std::filesystem::path& folder) {
#ifdef _WIN32
    (void)folder;
    return {"NUL", "CON"};
#else
    const auto fifo = folder / "fifo";
    if (!make_fifo(fifo)) return {"/dev/zero"};
    return {"/dev/zero", fifo.string()};
#endif
}

// False where the user passes every permission check (root does).
inline bool permissions_bind_the_user() {
#ifdef _WIN32
    return true;
#else
    return ::geteuid() != 0;
#endif
}

// While it lives, a write past `bytes` fails as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t bytes) {
#ifndef _WIN32
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
#else
        (void)bytes;
#endif
    }
    ~FileSizeLimit() {
#ifndef _WIN32
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
#endif
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
#ifndef _WIN32
    rlimit saved_{};
    void (*old_handler_)(int) = nullptr;
#endif
};

}  // namespace qvt::test
