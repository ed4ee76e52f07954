#include "core/log/session_log.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "core/platform/file_system.h"
#include "core/platform/text_codec.h"

namespace qvt::log {

namespace {

void put_number(std::string& out, int value, int digits) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < digits) {
        out.append(static_cast<std::size_t>(digits) - text.size(), '0');
    }
    out += text;
}

// quoted: the bytes field, where '"' and '\' must be escaped to stay readable
// back; otherwise the decoded text, where only control bytes are.
void escape(std::string& out, std::string_view bytes, bool quoted) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '\r':
                out += "\\r";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\t':
                out += "\\t";
                continue;
            case '\x1b':
                out += "\\e";
                continue;
            case '"':
            case '\\':
                if (quoted) out += '\\';
                out += c;
                continue;
            default:
                break;
        }
        if (b < 0x20 || b == 0x7F || (quoted && b > 0x7F)) {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += c;
        }
    }
}

bool has_high_bytes(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) > 0x7F) return true;
    }
    return false;
}

}  // namespace

LocalTime local_now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,          tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     static_cast<int>(ms)};
}

std::string format_time(const LocalTime& t) {
    std::string out;
    put_number(out, t.year, 4);
    out += '-';
    put_number(out, t.month, 2);
    out += '-';
    put_number(out, t.day, 2);
    out += ' ';
    put_number(out, t.hour, 2);
    out += ':';
    put_number(out, t.minute, 2);
    out += ':';
    put_number(out, t.second, 2);
    out += '.';
    put_number(out, t.millisecond, 3);
    return out;
}

std::string format_entry(const LocalTime& t, Direction direction, std::string_view bytes) {
    return format_line(format_time(t), direction, bytes);
}

std::string format_line(const std::string& time, Direction direction, std::string_view bytes) {
    std::string out = time;
    out += direction == Direction::Sent ? " TX \"" : " RX \"";
    escape(out, bytes, true);
    out += '"';
    if (has_high_bytes(bytes)) {
        out += ' ';
        escape(out, platform::utf8_from_sjis(bytes), false);
    }
    out += '\n';
    return out;
}

std::unique_ptr<FileSink> FileSink::open(const std::string& path, std::string& error) {
    std::FILE* file = platform::open_file(path, "ab");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<FileSink>(new FileSink(file, path));
}

FileSink::~FileSink() {
    std::fclose(file_);
}

std::string FileSink::write(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0) {
        return path_ + ": " + std::strerror(errno != 0 ? errno : EIO);
    }
    return {};
}

SessionLog::SessionLog(platform::EventPump& pump, std::function<LocalTime()> clock,
                       std::function<void(const std::string&)> report)
    : clock_(std::move(clock)), report_(std::move(report)), timer_(pump.create_timer()) {
    timer_->set_callback([this] { flush(); });
}

SessionLog::~SessionLog() {
    stop();
}

void SessionLog::start(std::unique_ptr<LogSink> sink) {
    stop();
    sink_ = std::move(sink);
    if (!sink_) return;
    buffer_ = "# session log opened " + format_time(clock_()) + '\n';
    flush();
    if (sink_) timer_->start(kFlushIntervalMs, true);
}

void SessionLog::stop() {
    if (!sink_) return;
    flush();
    timer_->stop();
    sink_.reset();
    buffer_.clear();
    pending_bytes_.clear();
}

void SessionLog::record(Direction direction, std::string_view bytes) {
    if (!sink_ || bytes.empty()) return;
    std::string time = format_time(clock_());
    if (pending_bytes_.empty() || direction != pending_direction_ || time != pending_time_) {
        commit_pending();
        pending_direction_ = direction;
        pending_time_ = std::move(time);
    }
    pending_bytes_ += bytes;
    if (buffer_.size() + pending_bytes_.size() >= kFlushBytes) flush();
}

void SessionLog::commit_pending() {
    if (pending_bytes_.empty()) return;
    buffer_ += format_line(pending_time_, pending_direction_, pending_bytes_);
    pending_bytes_.clear();
}

void SessionLog::flush() {
    if (!sink_) return;
    commit_pending();
    if (buffer_.empty()) return;
    const std::string error = sink_->write(buffer_);
    buffer_.clear();
    if (!error.empty()) fail(error);
}

void SessionLog::fail(const std::string& error) {
    timer_->stop();
    sink_.reset();
    buffer_.clear();
    pending_bytes_.clear();
    if (report_) report_("The session log was stopped: " + error);
}

}  // namespace qvt::log
