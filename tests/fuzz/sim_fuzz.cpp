// The simulated controller's interpreter on any host bytes, in pieces over
// time: it never fails, its output stays bounded for bounded input, time only
// moves on, and a hung-up controller stays silent.
#include "sim/controller.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t seed = in.byte();
    const std::uint8_t faults = in.byte();
    kvb::sim::Options options;
    options.program_area_bytes = 4096;
    // A looping program ran 2000 steps at every read and took nearly all of
    // each run; at 100 a read such a loop still goes round many times per input.
    options.max_steps_per_read = 100;
    if (faults & 1) options.reply_delay_ms = faults;
    if (faults & 2) options.drop_prompt_every = 1 + (faults >> 4);
    if (faults & 4) options.garbage_every = 1 + (faults >> 3);
    if (faults & 8) options.page_lines = faults >> 4;
    kvb::sim::Controller sim(options);

    std::int64_t now = 0;
    std::size_t output = 0;
    const auto read = [&] {
        const bool was_hung_up = sim.hung_up();
        const std::string got = sim.read(now);
        if (was_hung_up) QVT_FUZZ_CHECK(got.empty());
        output += got.size();
        const auto due = sim.next_due_ms();
        if (due && *due > now) now = std::min<std::int64_t>(*due, now + 1000);
    };
    for (const auto piece : qvt::fuzz::pieces(in.rest(), seed, 32)) {
        sim.feed(piece, now);
        read();
        ++now;
    }
    for (int i = 0; i < 16 && sim.next_due_ms(); ++i)
        read();
    // A listing of the whole program area or a page of a table per read at most.
    QVT_FUZZ_CHECK(output <= (size + 18) * 64 * 1024);
    return 0;
}
