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

struct Case {
    const char* name;
    std::string listing;  // after the echo
    std::string file;
    bool ends = true;
};

TEST(ListingParser, TurnsListingsIntoFileLines) {
    const std::string pad23(23, ' ');
    const std::string s40 = "A=1234567890123456789012345678901234567 ";  // 40 with the blank
    const std::string s300(300, 'X');
    const Case cases[] = {
        {"statement of 4 keeps its comment", "10\tA=1 'c\r\n#", "A=1 'c\r\n"},
        {"statement of 9 pads to column 33", "10\tB=123456 'c\r\n#",
         "B=123456 " + pad23 + "'c\r\n"},
        {"statement of 40 gets no blanks", "10\t" + s40 + "'c\r\n#", s40 + "'c\r\n"},
        {"quote inside double quotes is text", "10\tPRINT \"it's\"\r\n#", "PRINT \"it's\"\r\n"},
        {"quote after the closing double quote pads", "10\tPRINT \"a'b\" 'c\r\n#",
         "PRINT \"a'b\" " + std::string(32 - 12, ' ') + "'c\r\n"},
        {"unnumbered line is not padded", "X\tA=123456 'c\r\n#", "A=123456 'c\r\n"},
        {"CR CR LF ends the line once", "10\tA=1\r\r\n#", "A=1\r\n"},
        {"CR LF CR LF adds one empty line", "10\tA=1\r\n\r\n#", "A=1\r\n\r\n"},
        {"# in mid-line is text", "10\tA=1 #x\r\n#", "A=1 #x\r\n"},
        {"# after LF and TABs ends", "10\tA=1\r\n\t\t#", "A=1\r\n"},
        {"# after CR ends", "10\tA=1\r#", "A=1\r\n"},
        {"300 bytes are cut at 255", "10\t" + s300 + "\r\n#", std::string(255, 'X') + "\r\n"},
        {"300 bytes without TAB are cut at 255", s300 + "\r\n#", std::string(255, 'X') + "\r\n"},
        {"a long start before the TAB is dropped", s300 + "\tA=1\r\n#", "A=1\r\n"},
        {"bell and 0x0E..0x1B are dropped",
         "10\tA\x07=\x0E\x1B"
         "1\x1C\r\n#",
         "A=1\x1C\r\n"},
        {"line without TAB is written whole", "Syntax error\r\n#", "Syntax error\r\n"},
        {"empty program", "#", ""},
        {"no prompt yet", "10\tA=1\r\n", "A=1\r\n", false},
        {"Shift-JIS bytes pass", "10\tPRINT \"\x83\x76\"\r\n#", "PRINT \"\x83\x76\"\r\n"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(kEcho + c.listing);
        EXPECT_EQ(p.file, c.file) << c.name;
        EXPECT_EQ(!p.running, c.ends) << c.name;
    }
}

TEST(ListingParser, EchoLineIsNeverWritten) {
    EXPECT_EQ(parse("LIST 0 0\r\n#").file, "");
    // Even an echo that looks like a listing line.
    EXPECT_EQ(parse("10\tA=1\r\n20\tB=2\r\n#").file, "B=2\r\n");
}

TEST(ListingParser, PadsToColumn33ExactlyForEveryShortStatement) {
    for (int len = 1; len <= 34; ++len) {
        const std::string stmt(static_cast<size_t>(len), 'A');
        const std::string file = parse(kEcho + "10\t" + stmt + "'c\r\n#").file;
        const auto quote = file.find('\'');
        if (len <= 5 || len >= 32) {
            EXPECT_EQ(quote, static_cast<size_t>(len)) << len;
        } else {
            EXPECT_EQ(quote, 32u) << len;
        }
    }
}

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

TEST(ListingParser, AbortIsSentOnceAtTheNextLineFeed) {
    const Parsed p = parse(kEcho + "10\tA=1\r\n20\tB=2\r\n#", true);
    EXPECT_EQ(p.aborts, 1);
    const Parsed none = parse(kEcho + "10\tA=1\r\n#", false);
    EXPECT_EQ(none.aborts, 0);
}

}  // namespace
}  // namespace qvt::transfer
