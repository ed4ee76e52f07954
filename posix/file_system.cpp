// The file-system seam of the core on POSIX systems.
#include "core/platform/file_system.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace qvt::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;
constexpr mode_t kNewFileMode = 0644;  // the user's files are ordinary documents

std::runtime_error io_error(const char* what, int err) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(err));
}

void write_all(int fd, std::string_view data, off_t offset, bool positioned) {
    while (!data.empty()) {
        const ssize_t n = positioned ? ::pwrite(fd, data.data(), data.size(), offset)
                                     : ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw io_error("Write error", errno);
        }
        data.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
}

void sync_folder_of(const std::string& file) {
    const std::string folder = fs::path(file).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// One replacement of a file; open() says why it cannot be done.
class Replacement {
  public:
    Replacement() = default;
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;
    ~Replacement() { discard(); }

    std::optional<std::string> open(const std::string& target);
    bool is_open() const { return fd_ >= 0; }
    void write(std::string_view bytes);
    void commit();
    void discard() noexcept;

  private:
    void flush();
    void commit_in_place();

    int fd_ = -1;  // the temporary file, or the target itself when in place
    bool in_place_ = false;
    std::string target_;
    std::string temp_;
    std::string buffer_;
};

std::optional<std::string> Replacement::open(const std::string& target) {
    discard();
    if (target.empty()) return std::string(std::strerror(ENOENT));
    // Replacing a file must change its content only, as writing it in place
    // would: through a link the file it names is replaced, and an existing
    // file keeps its permissions.
    target_ = target;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const auto resolved = fs::weakly_canonical(target, ec);
        if (!ec) target_ = resolved.string();
    }
    mode_t mode = kNewFileMode;
    int existing = -1;  // the target opened for writing, when it exists
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return std::string(std::strerror(EISDIR));
        if (!S_ISREG(st.st_mode)) return std::string("Not a regular file");
        // May the user write it? Only opening it tells (permission bits,
        // access lists, a read-only mount); the rename below would not ask.
        existing = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (existing < 0) return std::string(std::strerror(errno));
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return std::string(std::strerror(errno));
    }
    std::string pattern = target_ + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int temp = ::mkostemp(name.data(), O_CLOEXEC);
    if (temp < 0) {
        const int err = errno;
        if (existing < 0) return std::string(std::strerror(err));
        // A folder the user may not write, holding a file he may.
        fd_ = existing;
        in_place_ = true;
        return std::nullopt;
    }
    if (existing >= 0) ::close(existing);
    fd_ = temp;
    temp_ = name.data();
    ::fchmod(fd_, mode);  // mkstemp makes the file private to its owner
    return std::nullopt;
}

void Replacement::write(std::string_view bytes) {
    if (fd_ < 0) throw std::runtime_error("File is not open");
    buffer_.append(bytes);
    // In place, everything waits for commit(): the target keeps its old
    // content until then.
    if (!in_place_ && buffer_.size() >= kFlushAt) flush();
}

void Replacement::flush() {
    try {
        write_all(fd_, buffer_, 0, false);
    } catch (...) {
        buffer_.clear();
        throw;
    }
    buffer_.clear();
}

void Replacement::commit() {
    if (fd_ < 0) throw std::runtime_error("File is not open");
    if (in_place_) {
        commit_in_place();
        return;
    }
    flush();
    if (::fsync(fd_) != 0) throw io_error("Write error", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        discard();
        throw io_error("Write error", err);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        discard();
        throw io_error("Cannot replace the file", err);
    }
    temp_.clear();
    sync_folder_of(target_);
}

void Replacement::commit_in_place() {
    const auto size = static_cast<off_t>(buffer_.size());
    // Reserving the blocks first makes a full disk fail here, with the old
    // content still whole; a file system that cannot reserve is written as it is.
    if (size > 0) {
        const int err = ::posix_fallocate(fd_, 0, size);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) throw io_error("Write error", err);
    }
    write_all(fd_, buffer_, 0, true);
    if (::ftruncate(fd_, size) != 0 || ::fsync(fd_) != 0) throw io_error("Write error", errno);
    const int fd = fd_;
    fd_ = -1;
    buffer_.clear();
    if (::close(fd) != 0) throw io_error("Write error", errno);
}

void Replacement::discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    in_place_ = false;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
}

fs::path home_folder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    // A service account may run without HOME; the password database still knows.
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return fs::temp_directory_path();
}

}  // namespace

struct AtomicFileWriter::State {
    Replacement file;
};

AtomicFileWriter::AtomicFileWriter() : state_(std::make_unique<State>()) {}

AtomicFileWriter::~AtomicFileWriter() = default;

bool AtomicFileWriter::open(const std::string& target) {
    return !state_->file.open(target);
}

bool AtomicFileWriter::is_open() const {
    return state_->file.is_open();
}

void AtomicFileWriter::write(std::string_view bytes) {
    state_->file.write(bytes);
}

void AtomicFileWriter::commit() {
    state_->file.commit();
}

void AtomicFileWriter::discard() noexcept {
    state_->file.discard();
}

std::optional<std::string> write_file_safely(const fs::path& target, std::string_view content) {
    Replacement file;
    std::optional<std::string> why = file.open(target.string());
    if (!why) {
        try {
            file.write(content);
            file.commit();
        } catch (const std::exception& e) {
            why = e.what();
        }
    }
    if (!why) return std::nullopt;
    return "Unable to write to " + target.string() + ": " + *why;
}

std::FILE* open_file(const std::string& utf8, const char* mode) {
    return std::fopen(utf8.c_str(), mode);
}

bool is_writable_folder(const fs::path& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

bool is_regular_file(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

UserFolder user_folder() {
    if (const char* dir = std::getenv("QVTW2K_HOME"); dir != nullptr && *dir != '\0') {
        return {dir, true};
    }
    return {home_folder() / ".config" / "qvtw2k", false};
}

}  // namespace qvt::platform
