// The file system as the core needs it: replacing a file without losing the
// user's old one, the per-user folder, and telling regular files from the rest.
//
// How it works: a link-time seam. This header declares the operations and
// posix/file_system.cpp defines them (library qvt_file_system); a build for
// another system links its own definition file in that library's place.
// Nothing here is virtual and nothing is injected: tests use real scratch
// folders.
//
// Replacing a file (AtomicFileWriter, write_file_safely): the bytes go to a new
// temporary file beside the target (same file system, so the final rename is
// atomic); commit() flushes, syncs the data, renames the temporary file over
// the target and syncs the folder, so a crash or a full disk leaves either the
// old or the new file, never half of one. An existing target keeps its
// permissions, and through a symbolic link the file it names is replaced (the
// link stays). open() refuses a target that exists but is no regular file
// (a folder, a FIFO, a device) or that the user may not write (a read-only
// file): replacing it by rename would succeed where writing it must not.
// Where no temporary file can be made beside a writable target (a folder the
// user may not write, holding a file he may), the content is kept in memory
// and written into the target itself at commit(): its blocks are reserved
// first, so a full disk still fails before the old content is touched. Until
// commit() succeeds the target is unchanged; discard(), or destruction without
// commit(), drops what was written.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qvt::platform {

class AtomicFileWriter {
  public:
    AtomicFileWriter();
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the target cannot be written (rules above; also no such
    // folder, no permission, an empty name).
    bool open(const std::string& target);
    bool is_open() const;
    // Writes are buffered; a write error (a full disk) surfaces as
    // std::runtime_error here or at commit().
    void write(std::string_view bytes);
    // Makes the written bytes the target's content. Throws std::runtime_error.
    void commit();
    // Drops what was written; the target stays as it was.
    void discard() noexcept;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole of `content` as the new content of `target`, the same safe way.
// Returns the message to show when it fails ("Unable to write to <target>:
// <reason>"); the old file is then untouched.
std::optional<std::string> write_file_safely(const std::filesystem::path& target,
                                             std::string_view content);

// The core names files in UTF-8 on every system. A path made from a plain
// std::string would take it in the system's code page on Windows, where a
// Japanese file name then names no file; these convert explicitly.
inline std::filesystem::path file_path(std::string_view utf8) {
    return std::u8string(utf8.begin(), utf8.end());
}
inline std::string file_name(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}
// std::fopen of a UTF-8 file name.
std::FILE* open_file(const std::string& utf8, const char* mode);

// True when the user may create files in `folder`.
bool is_writable_folder(const std::filesystem::path& folder);

// True for a regular file (links followed). Program, point, MBK, profile and
// history files are only ever read from regular files: opening a FIFO waits
// for a writer, and a device such as /dev/zero never ends.
bool is_regular_file(const std::filesystem::path& path);

// The per-user folder: $QVTW2K_HOME when it is set and not empty (the tests and
// the simulator point it at a scratch folder), otherwise ~/.config/qvtw2k.
// Nothing is created.
struct UserFolder {
    std::filesystem::path path;
    bool chosen = false;  // named by $QVTW2K_HOME rather than by the default
};
UserFolder user_folder();

}  // namespace qvt::platform
