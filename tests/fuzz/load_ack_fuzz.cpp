// The program load's acknowledgement reader on any reply, arriving in pieces
// over virtual time: the wait always ends, by the prompt, the overflow message
// or the time limit, never later than the limit; a time-out is told and ends
// the load.
//
// One rig serves every input: building a console, the transfers and a scratch
// folder for each input took most of the run. Everything the reader reads or
// writes is put back between inputs, so an input gives the same result
// whatever ran before it.
#include "core/transfer/load.h"
#include "tests/core/transfer/transfer_rig.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

qvt::test::TransferRig& fresh_rig() {
    static qvt::test::TransferRig rig;
    rig.state.transfer_mode = 0;
    rig.state.abort_request = 0;
    rig.transfers.counter.load_line_no = 1;
    rig.dialogs.clear();
    rig.term.clear_disp_log();
    rig.pump.set_time_limit(rig.pump.now_ms() + 60 * 60 * 1000);
    QVT_FUZZ_CHECK(rig.term.InBufferCount() == 0 && !rig.term.next_due_ms());
    return rig;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::uint8_t seed = in.byte();
    const std::uint8_t pace = in.byte();  // ms between pieces
    const std::string_view reply = in.rest();

    auto& rig = fresh_rig();
    const auto start = rig.pump.now_ms();
    qvt::platform::Millis at = start;
    for (const auto piece : qvt::fuzz::pieces(reply, seed)) {
        rig.term.deliver_at(at, std::string(piece));
        at += pace % 64;
    }
    auto& counter = rig.transfers.counter;
    const auto line_before = counter.load_line_no;
    rig.transfers.load.Load68k_Sub2(false);

    const auto waited = rig.pump.now_ms() - start;
    QVT_FUZZ_CHECK(waited <= qvt::transfer::kAckTimeoutMs + 1);
    const bool timed_out = rig.dialogs.last_text() == "Time Out";
    QVT_FUZZ_CHECK(timed_out == (rig.state.abort_request == 1));
    QVT_FUZZ_CHECK(!timed_out || waited == qvt::transfer::kAckTimeoutMs + 1);
    QVT_FUZZ_CHECK(counter.load_line_no - line_before <= 1);
    if (!reply.empty() && reply.front() == '#') {
        QVT_FUZZ_CHECK(!timed_out && counter.load_line_no == line_before + 1);
    }
    if (reply.find_first_of("#\n") == std::string_view::npos) QVT_FUZZ_CHECK(timed_out);
    // A message's first line is told with its line number.
    const auto& shown = rig.term.disp_log();
    if (!shown.empty() && shown.front().find('\n') + 1 == shown.front().size()) {
        QVT_FUZZ_CHECK(shown.front().rfind("(Line:", 0) == 0);
    }
    // The rest of the reply arrives and is dropped, as the next line's wait
    // would never see it here.
    rig.pump.run_until(at);
    rig.term.set_InBufferCount(0);
    return 0;
}
