// The history files' reader and writer: entries never hold a line end, and
// writing what was read reads back as the same entries.
#include "core/console/history_file.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = qvt::console::split_history_lines(bytes);
    for (const auto& e : entries)
        QVT_FUZZ_CHECK(e.find_first_of("\r\n") == std::string::npos);
    const std::string written = qvt::console::join_history_lines(entries);
    QVT_FUZZ_CHECK(qvt::console::split_history_lines(written) == entries);
    QVT_FUZZ_CHECK(qvt::console::join_history_lines(qvt::console::split_history_lines(written)) ==
                   written);
    return 0;
}
