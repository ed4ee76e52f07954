#include "core/log/session_log.h"

#include <gtest/gtest.h>

#include "tests/support/virtual_event_pump.h"

namespace qvt::log {
namespace {

const LocalTime kAt{2026, 12, 6, 9, 5, 3, 7};

TEST(SessionLogFormat, EscapesControlBytesAndShowsShiftJisDecoded) {
    const struct {
        Direction direction;
        std::string bytes;
        std::string line;
    } cases[] = {
        {Direction::Sent, "VER\r", "2026-12-06 09:05:03.007 TX \"VER\\r\"\n"},
        {Direction::Received, "a\"b\\\t\x1b[K\x01\x7f\n#",
         "2026-12-06 09:05:03.007 RX \"a\\\"b\\\\\\t\\e[K\\x01\\x7F\\n#\"\n"},
        {Direction::Received,
         "\x83"
         "e\x83X\x83g\r\n",
         "2026-12-06 09:05:03.007 RX \"\\x83e\\x83X\\x83g\\r\\n\" \xE3\x83\x86\xE3\x82\xB9"
         "\xE3\x83\x88\\r\\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_entry(kAt, c.direction, c.bytes), c.line);
}

class FullDisk : public LogSink {
  public:
    explicit FullDisk(std::string& written) : written_(written) {}
    std::string write(std::string_view text) override {
        if (written_.size() + text.size() > 200) return "log: No space left on device";
        written_ += text;
        return {};
    }
    std::string& written_;
};

TEST(SessionLog, BatchesByTheTimerAndStopsOnceWhenTheDiskIsFull) {
    test::VirtualEventPump pump;
    std::string written;
    std::vector<std::string> reports;
    SessionLog log(
        pump, [] { return kAt; }, [&](const std::string& m) { reports.push_back(m); });
    log.start(std::make_unique<FullDisk>(written));
    const std::size_t header = written.size();
    log.record(Direction::Sent, "A");
    log.record(Direction::Sent, "B");  // the same millisecond: one line
    log.record(Direction::Received, "C");
    EXPECT_EQ(written.size(), header);
    pump.run_for(SessionLog::kFlushIntervalMs);
    EXPECT_EQ(written.substr(header), format_entry(kAt, Direction::Sent, "AB") +
                                          format_entry(kAt, Direction::Received, "C"));
    log.record(Direction::Sent, std::string(300, 'x'));
    pump.run_for(SessionLog::kFlushIntervalMs * 3);
    log.record(Direction::Sent, "more");
    pump.run_for(SessionLog::kFlushIntervalMs);
    EXPECT_FALSE(log.active());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("No space left"), std::string::npos);
}

}  // namespace
}  // namespace qvt::log
