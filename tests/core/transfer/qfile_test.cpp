// The program file reader, which the load and the label list share: where its
// lines end, and which paths it refuses before anything is sent.
#include "core/transfer/qfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/core/startup/temp_dir.h"

namespace qvt::transfer {
namespace {

std::vector<std::string> lines_of(const std::string& path) {
    QFileReader reader;
    EXPECT_TRUE(reader.open(path));
    std::vector<std::string> lines;
    while (!reader.eof())
        lines.push_back(reader.read_line());
    return lines;
}

TEST(QFileReader, LinesEndAtCrLfCrOrLf) {
    const struct {
        const char* bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"A=1\r\nB=2\r\n", {"A=1", "B=2"}},
        {"A=1\nB=2\n", {"A=1", "B=2"}},
        {"A=1\rB=2", {"A=1", "B=2"}},
        {"A=1\r\n\nB=2\n\r", {"A=1", "", "B=2", ""}},
        {"A=1\n\x1A"
         "B=2\n",
         {"A=1"}},
    };
    test::TempDir dir;
    for (const auto& c : cases)
        EXPECT_EQ(lines_of(dir.write("p.Q2K", c.bytes).string()), c.lines) << c.bytes;
}

TEST(QFileReader, RefusesAnythingButARegularFile) {
    test::TempDir dir;
    const std::string fifo = (dir.path() / "fifo.Q2K").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);  // opening it would wait for a writer
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        QFileReader reader;
        EXPECT_FALSE(reader.open(path)) << path;
    }
}

}  // namespace
}  // namespace qvt::transfer
