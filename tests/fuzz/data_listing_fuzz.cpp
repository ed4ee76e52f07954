// The point and MBK listing parser and the line checks of their loads: lines
// hold no line end, the pieces give the same lines as the whole, nothing is
// taken after the prompt, and the value readers accept any line.
#include "core/transfer/data_transfer.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

struct Run {
    std::vector<std::string> lines;
    std::string pauses;
    long count = 0;
};

Run parse(bool answers_pauses, const std::vector<std::string_view>& blocks, std::size_t abort_at) {
    Run r;
    std::size_t seen = 0;
    qvt::transfer::DataListingParser parser(
        answers_pauses,
        {[&](std::string_view line) { r.lines.emplace_back(line); },
         [&](char key) { r.pauses += key; }, [&] { return abort_at != 0 && seen >= abort_at; },
         [&](long count) { r.count = count; }});
    for (const auto block : blocks) {
        parser.feed(block);
        seen += block.size();
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t flags = in.byte();
    const std::uint8_t seed = in.byte();
    const std::string_view bytes = in.rest();
    const bool pauses = (flags & 1) != 0;

    const Run whole = parse(pauses, {bytes}, 0);
    const Run split = parse(pauses, qvt::fuzz::pieces(bytes, seed), 0);
    QVT_FUZZ_CHECK(whole.lines == split.lines);
    QVT_FUZZ_CHECK(whole.pauses == split.pauses);
    for (const auto& line : whole.lines) {
        QVT_FUZZ_CHECK(!line.empty());
        QVT_FUZZ_CHECK(line.find_first_of("\r\n\a") == std::string::npos);
        (void)qvt::transfer::point_values(line);
        (void)qvt::transfer::mbk_count(line);
    }
    // An abort only ever ends the capture sooner.
    const Run aborted = parse(pauses, qvt::fuzz::pieces(bytes, seed), 1 + (flags >> 1));
    QVT_FUZZ_CHECK(aborted.lines.size() <= whole.lines.size());
    (void)qvt::transfer::point_values(bytes);
    (void)qvt::transfer::mbk_count(bytes);
    return 0;
}
