// Program files (.Q2K) as the readers of this system see them, and the small
// text helpers the transfers share.
//
// How it works: a program file is bytes, not text in any encoding. A line ends
// at CR LF, at a CR alone or at an LF alone, so files written on any system
// read line by line (a line feed directly after a carriage return belongs to
// that line end); a Ctrl-Z (0x1A) ends the file wherever it stands. Only a
// regular file is opened: a FIFO would block the open until some writer
// came, and a device such as /dev/zero never ends. The reader streams the
// file in blocks, so a file of any size reads in constant memory; a line that
// runs on without a line end is kept up to kMaxLineBytes and the rest of it is
// skipped and counted, so that garbage (a binary file) still yields lines the
// caller can judge instead of exhausting memory.
//
// Trimming follows the controller's notion of blanks: every byte up to and
// including the space (0x00..0x20) counts as blank at either end; bytes from
// 0x80 up are characters (Shift-JIS lead bytes) and are never trimmed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace qvt::transfer {

inline constexpr std::size_t kMaxLineBytes = 64 * 1024;
inline constexpr std::size_t kReadBlockBytes = 64 * 1024;

// Blanks and control bytes removed at both ends.
std::string trim_blank(std::string_view text);
// True when nothing but blanks and control bytes.
bool is_blank(std::string_view text);
// ASCII letters upper-cased; other bytes unchanged.
std::string upper_ascii(std::string_view text);
// The extension of the last path element with its dot ("" when none).
std::string extension_of(const std::string& path);
// The path without the extension of its last element.
std::string remove_extension(const std::string& path);

class QFileReader {
  public:
    QFileReader() = default;
    // Smaller blocks and line limits bring a test to the edges with small
    // files; the program reads with the defaults. Both at least 1.
    QFileReader(std::size_t block, std::size_t max_line) : block_(block), max_line_(max_line) {}
    ~QFileReader();
    QFileReader(const QFileReader&) = delete;
    QFileReader& operator=(const QFileReader&) = delete;

    // False when the path names no regular file, or the file cannot be opened
    // for reading or its first block cannot be read.
    bool open(const std::string& path);
    void close();
    bool is_open() const { return file_ != nullptr; }
    // True at the end of the data or at a Ctrl-Z.
    bool eof();
    // The next line without its line end. Throws std::runtime_error on a read
    // error of the file system.
    std::string read_line();
    // Bytes of the last line that were beyond kMaxLineBytes and skipped.
    std::uint64_t last_line_skipped() const { return skipped_; }

  private:
    // Next byte, or -1 at the end of the data; Ctrl-Z is returned as a byte.
    int peek();
    void advance() { ++pos_; }

    std::size_t block_ = kReadBlockBytes;
    std::size_t max_line_ = kMaxLineBytes;
    std::FILE* file_ = nullptr;
    std::string buf_;
    std::size_t pos_ = 0;
    bool at_end_ = false;
    std::uint64_t skipped_ = 0;
};

}  // namespace qvt::transfer
