// The task monitor's reply: any bytes in, never more than the table's
// segments, none holding a letter or blank the reader drops, and every entry
// that names a line cut where the reply puts it.
#include "core/debug/task_list.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qvt::debug::MonitorReply reply;
    bool ended = false;
    for (const char c : bytes) {
        const bool now = reply.feed(c);
        QVT_FUZZ_CHECK(!ended || now);  // the prompt ends it for good
        ended = now;
    }
    QVT_FUZZ_CHECK(reply.segments().size() <= qvt::debug::kSegmentTable);
    for (std::size_t i = 0; i < reply.segments().size(); ++i) {
        const std::string& s = reply.segments()[i];
        if (i > 0) QVT_FUZZ_CHECK(s.find_first_of("MNO \t") == std::string::npos);
        const auto entry = qvt::debug::task_entry(s);
        QVT_FUZZ_CHECK(entry.has_value() == (s.find('[') != std::string::npos));
        if (entry) {
            QVT_FUZZ_CHECK(entry->name.size() + 1 + entry->line.size() <= s.size());
            QVT_FUZZ_CHECK(s.compare(0, entry->name.size(), entry->name) == 0);
        }
    }
    return 0;
}
