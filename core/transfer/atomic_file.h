// Writing a file so that the user's old file survives every failure.
//
// How it works: the bytes go to a new temporary file in the target's folder
// (same file system, so the final rename is atomic). commit() flushes, syncs
// the data to disk, closes and renames the temporary file over the target, then
// syncs the folder so that the rename itself is durable. Until commit()
// succeeds the target is untouched; discard() (or destruction without commit)
// removes the temporary file. Writes are buffered and a write error (a full
// disk) surfaces as std::runtime_error at the write or at commit().
#pragma once

#include <string>
#include <string_view>

namespace qvt::transfer {

class AtomicFileWriter {
  public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file beside target (beside the file a link names);
    // false when that is impossible (no such folder, no permission, target is
    // a folder). An existing target keeps its permissions.
    bool open(const std::string& target);
    bool is_open() const { return fd_ >= 0; }
    void write(std::string_view bytes);
    // Makes the written bytes the target's content. Throws std::runtime_error.
    void commit();
    // Drops the temporary file; the target stays as it was.
    void discard() noexcept;

    const std::string& temp_path() const { return temp_; }

  private:
    void flush();

    int fd_ = -1;
    std::string target_;
    std::string temp_;
    std::string buffer_;
};

}  // namespace qvt::transfer
