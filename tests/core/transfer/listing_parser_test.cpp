// The listing parser against listings as the controller sends them.
#include "core/transfer/listing_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace qvt::transfer {
namespace {

struct Parsed {
    std::string file;
    bool running = true;
    int aborts = 0;
};

Parsed parse(const std::string& bytes, bool abort = false) {
    Parsed out;
    ListingParser parser({[&](std::string_view line) { out.file += line; }, [&] { ++out.aborts; },
                          [&] { return abort; }});
    parser.feed(bytes);
    out.running = parser.running();
    return out;
}

const std::string kEcho = "LIST 0 0\r\n";

TEST(ListingParser, TurnsListingsIntoFileLines) {
    struct Case {
        const char* name;
        std::string listing;  // after the echo
        std::string file;
        bool ends = true;
    };
    const std::string s40 = "A=1234567890123456789012345678901234567 ";  // 40 with the blank
    const std::string s300(300, 'X');
    const Case cases[] = {
        {"statement of 5 keeps its comment", "10\tA=12 'c\r\n#", "A=12 'c\r\n"},
        {"statement of 6 pads to column 33", "10\tA=123 'c\r\n#",
         "A=123 " + std::string(26, ' ') + "'c\r\n"},
        {"statement of 40 gets no blanks", "10\t" + s40 + "'c\r\n#", s40 + "'c\r\n"},
        {"quote after the closing double quote pads", "10\tPRINT \"a'b\" 'c\r\n#",
         "PRINT \"a'b\" " + std::string(20, ' ') + "'c\r\n"},
        {"CR CR LF ends the line once", "10\tA=1\r\r\n#", "A=1\r\n"},
        {"CR LF CR LF adds one empty line", "10\tA=1\r\n\r\n#", "A=1\r\n\r\n"},
        {"# in mid-line is text", "10\tA=1 #x\r\n#", "A=1 #x\r\n"},
        {"# after LF and TABs ends", "10\tA=1\r\n\t\t#", "A=1\r\n"},
        {"a long start before the TAB is dropped", s300 + "\tA=1\r\n#", "A=1\r\n"},
        {"bell and 0x0E..0x1B are dropped, Shift-JIS passes", "10\tA\x07=\x0E\x1B\x83\x76\x1C\r\n#",
         "A=\x83\x76\x1C\r\n"},
        {"line without TAB is written whole", "Syntax error\r\n#", "Syntax error\r\n"},
        {"no prompt yet", "10\tA=1\r\n", "A=1\r\n", false},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(kEcho + c.listing);
        EXPECT_EQ(p.file, c.file) << c.name;
        EXPECT_EQ(!p.running, c.ends) << c.name;
    }
    EXPECT_EQ(parse(kEcho + "#").file, "");
    // The echo is never written, even one that looks like a listing line.
    EXPECT_EQ(parse("10\tA=1\r\n20\tB=2\r\n#").file, "B=2\r\n");
    // Abort is sent once, at the next line feed.
    EXPECT_EQ(parse(kEcho + "10\tA=1\r\n20\tB=2\r\n#", true).aborts, 1);
    EXPECT_EQ(parse(kEcho + "10\tA=1\r\n#").aborts, 0);
}

// Also the cut of a long line at 255 bytes.
TEST(ListingParser, ALineWithoutEndKeepsOnlyWhatTheFileCanHold) {
    const std::string x255(255, 'X');
    const std::pair<std::string, std::string> rows[] = {
        {"10\t", x255}, {"", x255}, {"10\tA=\"1", "A=\"1" + x255.substr(4)}};
    for (const auto& [start, line] : rows) {
        std::string file;
        ListingParser parser({[&](std::string_view l) { file += l; }, nullptr, nullptr});
        parser.feed(kEcho + start);
        const std::string block(64 * 1024, 'X');
        for (int i = 0; i < 64; ++i)  // 4 MiB without a carriage return
            parser.feed(block);
        EXPECT_LE(parser.held_bytes(), 1024u) << start;
        parser.feed("\r\n#");
        EXPECT_EQ(file, line + "\r\n") << start;
    }
}

}  // namespace
}  // namespace qvt::transfer
