// The session log: every chunk of bytes on the line, sent and received
// apart, with the local time it passed, as plain text a person can read.
//
// How it works: the terminal control hands each chunk it sends or delivers to
// record(), which only formats it into a memory buffer, so the terminal never
// waits for a disk. A repeating timer of the event pump writes the buffer out
// in one batch (and a buffer grown past kFlushBytes is written at once, so a
// long listing cannot pile up). A sink that fails (a full disk, a vanished
// folder) stops the log: one message goes to the report callback, the buffer
// is dropped and every later record() is a no-op; nothing else notices.
//
// The format, one line per chunk (chunks of one direction that pass within
// the same millisecond make one line):
//
//   2026-12-06 22:41:05.123 TX "VER\r"
//   2026-12-06 22:41:05.140 RX "VER\r\nREV-2.05\r\n#"
//   2026-12-06 22:41:06.002 RX "\x83e\x83X\x83g\r\n#" テスト\r\n#
//
// The bytes stand between double quotes: printable ASCII as it is, except
// '"' and '\' written as \" and \\; CR, LF, TAB and ESC as \r, \n, \t and \e;
// every other byte as \xHH. A chunk with bytes above 0x7F carries, after the
// closing quote and a blank, the same bytes decoded from Shift-JIS, with the
// control bytes escaped as above. Lines starting with '#' are remarks (the
// time the log was opened).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/platform/event_pump.h"

namespace qvt::log {

enum class Direction : std::uint8_t { Sent, Received };

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The system's local time now (the log's clock outside tests).
LocalTime local_now();
// "2026-12-06 22:41:05.123"
std::string format_time(const LocalTime& t);
// One chunk as one line of the log, with its line feed.
std::string format_entry(const LocalTime& t, Direction direction, std::string_view bytes);
std::string format_line(const std::string& time, Direction direction, std::string_view bytes);

// Where the log's text goes. write() returns an error text when it failed.
class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual std::string write(std::string_view text) = 0;
};

// Appends to a file, so a nightly job may keep one log for many runs.
class FileSink : public LogSink {
  public:
    // Null when the file cannot be opened; error then says why.
    static std::unique_ptr<FileSink> open(const std::string& path, std::string& error);
    ~FileSink() override;
    std::string write(std::string_view text) override;

  private:
    FileSink(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    std::FILE* file_;
    std::string path_;
};

class SessionLog {
  public:
    // Buffered text written at once past this size, not only at the timer.
    static constexpr std::size_t kFlushBytes = 1 << 20;
    static constexpr platform::Millis kFlushIntervalMs = 250;

    SessionLog(platform::EventPump& pump, std::function<LocalTime()> clock,
               std::function<void(const std::string&)> report);
    ~SessionLog();
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    void start(std::unique_ptr<LogSink> sink);
    // Writes what is buffered and closes the sink.
    void stop();
    bool active() const { return sink_ != nullptr; }
    void record(Direction direction, std::string_view bytes);
    void flush();

  private:
    void fail(const std::string& error);
    void commit_pending();

    std::function<LocalTime()> clock_;
    std::function<void(const std::string&)> report_;
    std::unique_ptr<platform::Timer> timer_;
    std::unique_ptr<LogSink> sink_;
    std::string buffer_;
    // The chunk being built: bytes of one direction within one millisecond.
    Direction pending_direction_ = Direction::Sent;
    std::string pending_time_;
    std::string pending_bytes_;
};

}  // namespace qvt::log
