// Turns the controller's program listing, byte by byte, into the lines of a
// program file.
//
// How it works: the controller answers "LIST 0 0" with the echo of the command,
// then one line per program line ("<number> TAB <statement> CR LF"), then its
// prompt "#" at the start of a line. The parser collects a line until its
// carriage return and then hands the text after the first TAB (at most 255
// bytes, followed by CR LF) to write_line: the echo line is never written, a second CR in a row
// writes nothing, and a "#" directly after CR or LF (TABs between do not
// count as text) ends the listing. A comment quote that follows a numbered
// statement of more than 5 bytes is moved to column 33 of the file line by
// padding the statement with blanks; a quote inside double quotes is text.
// Bell and the bytes 0x0E..0x1B never reach the file.
//
// Memory: of a line only what can reach the file is kept, its start up to
// 255 bytes until a TAB comes and 255 bytes after the first TAB, so a listing
// that never ends its line (no carriage return) cannot grow the buffer.
//
// Abort is cooperative: once abort_requested() is true, the next line feed
// makes the parser call send_abort() once (the controller then stops listing
// and prints its prompt, which ends the parse like any other).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qvt::transfer {

inline constexpr std::size_t kMaxFileLine = 255;
inline constexpr std::size_t kCommentColumn = 32;  // statement width before the quote
inline constexpr std::size_t kMinPaddedStatement = 5;

class ListingParser {
  public:
    struct Sinks {
        std::function<void(std::string_view line)> write_line;
        std::function<void()> send_abort;
        std::function<bool()> abort_requested;
    };

    explicit ListingParser(Sinks sinks) : sinks_(std::move(sinks)) {}

    void feed(char c);
    void feed(std::string_view bytes) {
        for (const char c : bytes)
            feed(c);
    }
    // False once the controller's prompt was seen.
    bool running() const { return running_; }
    std::uint32_t lines_written() const { return written_; }
    bool abort_sent() const { return abort_sent_; }
    // The start of the first line, the echo of the command.
    const std::string& echo() const { return echo_; }

    // Bytes held for the current line; bounded whatever the listing.
    std::size_t held_bytes() const { return buffer_.capacity(); }

  private:
    // Appends c when it can still reach the file line.
    void keep(char c);
    void write_buffer();

    Sinks sinks_;
    std::string buffer_;
    std::string echo_;
    std::size_t tab_ = std::string::npos;  // the line's first TAB in buffer_
    bool after_lf_ = false;
    bool after_cr_ = false;
    std::uint32_t cr_run_ = 0;
    bool in_quotes_ = false;
    bool first_line_ = true;
    bool abort_sent_ = false;
    bool running_ = true;
    std::uint32_t written_ = 0;
};

}  // namespace qvt::transfer
