#include "core/transfer/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace qvt::transfer {

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

std::runtime_error io_error(const char* what, int err) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(err));
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

bool AtomicFileWriter::open(const std::string& target) {
    discard();
    std::error_code ec;
    if (target.empty() || std::filesystem::is_directory(target, ec)) return false;
    // Replacing a file must change its content only, as writing it in place
    // would: through a link the file it names is replaced (the link stays),
    // and an existing file keeps its permissions.
    target_ = target;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) {
        const auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec) target_ = resolved.string();
    }
    mode_t mode = 0644;  // a program file is an ordinary document
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) mode = st.st_mode & 07777;
    std::string pattern = target_ + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    fd_ = fd;
    temp_ = name.data();
    ::fchmod(fd_, mode);  // mkstemp makes the file private to its owner
    buffer_.clear();
    return true;
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (fd_ < 0) throw std::runtime_error("File is not open");
    buffer_.append(bytes);
    if (buffer_.size() >= kFlushAt) flush();
}

void AtomicFileWriter::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            buffer_.clear();
            throw io_error("Write error", err);
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void AtomicFileWriter::commit() {
    if (fd_ < 0) throw std::runtime_error("File is not open");
    flush();
    if (::fsync(fd_) != 0) throw io_error("Write error", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        throw io_error("Write error", err);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        throw io_error("Cannot replace the file", err);
    }
    temp_.clear();
    const std::string folder = std::filesystem::path(target_).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void AtomicFileWriter::discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
}

}  // namespace qvt::transfer
