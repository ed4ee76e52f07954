// The program-file reader against a plain model of its rules: lines end at
// CR LF, CR or LF, a Ctrl-Z ends the file, a line beyond the limit keeps its
// start and counts the rest as skipped. Small blocks and line limits, chosen
// by the input, put the block boundaries and the limit inside the fuzzed
// bytes (a CR at the end of a block, its LF at the start of the next).
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/transfer/qfile.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

struct Line {
    std::string text;
    std::uint64_t skipped = 0;
    bool operator==(const Line&) const = default;
};

std::vector<Line> model(std::string_view bytes, std::size_t max_line) {
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::vector<Line> out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto end = std::min(bytes.find_first_of("\r\n", at), bytes.size());
        const auto length = end - at;
        const auto kept = std::min(length, max_line);
        out.push_back({std::string(bytes.substr(at, kept)), length - kept});
        at = end;
        if (at < bytes.size() && bytes[at] == '\r') ++at;
        if (at < bytes.size() && bytes[at] == '\n' && (at == end || bytes[end] == '\r')) ++at;
    }
    return out;
}

std::string scratch_file() {
    const std::filesystem::path dir = std::filesystem::exists("/dev/shm")
                                          ? std::filesystem::path("/dev/shm")
                                          : std::filesystem::temp_directory_path();
    return (dir / ("qvt-fuzz-qfile-" + std::to_string(getpid()) + ".Q2K")).string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::size_t block = 1 + in.byte() % 64;
    const std::size_t max_line = 1 + in.byte();
    const std::string bytes(in.rest());

    static const std::string path = scratch_file();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    qvt::transfer::QFileReader reader(block, max_line);
    QVT_FUZZ_CHECK(reader.open(path));
    std::vector<Line> got;
    while (!reader.eof()) {
        std::string text = reader.read_line();
        got.push_back({std::move(text), reader.last_line_skipped()});
        QVT_FUZZ_CHECK(got.size() <= bytes.size());
    }
    reader.close();
    QVT_FUZZ_CHECK(got == model(bytes, max_line));
    return 0;
}
