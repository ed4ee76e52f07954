// The program save's listing parser: every file line is at most 255 bytes and
// its CR LF, holds no line end or dropped control byte inside, what is held
// for a line stays bounded, and the abort goes out at most once.
#include "core/transfer/listing_parser.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t abort_at = in.byte();  // 0: never
    std::size_t fed = 0;
    int aborts = 0;
    std::vector<std::string> lines;
    qvt::transfer::ListingParser parser({[&](std::string_view line) { lines.emplace_back(line); },
                                         [&] { ++aborts; },
                                         [&] { return abort_at != 0 && fed >= abort_at; }});
    for (const char c : in.rest()) {
        if (!parser.running()) break;
        parser.feed(c);
        ++fed;
        QVT_FUZZ_CHECK(parser.held_bytes() <= 4 * qvt::transfer::kMaxFileLine);
    }
    QVT_FUZZ_CHECK(aborts <= 1);
    QVT_FUZZ_CHECK(lines.size() == parser.lines_written());
    for (const auto& line : lines) {
        QVT_FUZZ_CHECK(line.size() >= 2 && line.size() <= qvt::transfer::kMaxFileLine + 2);
        QVT_FUZZ_CHECK(line.compare(line.size() - 2, 2, "\r\n") == 0);
        for (std::size_t i = 0; i + 2 < line.size(); ++i) {
            const auto u = static_cast<unsigned char>(line[i]);
            QVT_FUZZ_CHECK(u != '\r' && u != '\n' && u != 0x07 && !(u >= 0x0E && u <= 0x1B));
        }
    }
    return 0;
}
