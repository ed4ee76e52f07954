// Save and load of a 5,000-line program, 5,000 points and 5,000 MBK lines
// against the simulated controller with the line paced at 115200 baud in both
// directions, on the virtual clock.
//
// The virtual clock advances only while the line is busy or a prescribed pause
// runs, so the virtual duration of a transfer against the wire time of its
// bytes plus its fixed pauses shows any delay the program adds by itself
// (extra waits, a missed wake-up, a poll interval). Computing costs no virtual
// time; so the wall time of the whole in-process run (ours, the simulator's
// and the test double's together) is printed and added on top as a
// conservative bound for a real line.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "bench/transfer/bench_common.h"
#include "core/console/console.h"
#include "core/transfer/qfile.h"
#include "core/transfer/transfers.h"
#include "sim/controller.h"
#include "tests/support/fake_terminal_control.h"
#include "tests/support/virtual_event_pump.h"

namespace {

using namespace qvt;

// Counts the bytes the transfers take from the line.
class CountingTerm : public test::FakeTerminalControl {
  public:
    using FakeTerminalControl::FakeTerminalControl;
    std::string Input() override {
        std::string got = FakeTerminalControl::Input();
        received += got.size();
        return got;
    }
    std::uint64_t received = 0;
};

struct Run {
    double virtual_ms = 0;
    double wall_ms = 0;
    std::uint64_t bytes = 0;
    std::uint64_t sent = 0;
};

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// 5,000 points, each with four values.
std::string point_file() {
    std::string out;
    for (int i = 1; i <= qvt::bench::kLines; ++i) {
        out.append("PNT ").append(std::to_string(i));
        for (int k = 1; k <= 4; ++k)
            out.append(" ").append(std::to_string((i * 37 + k * 1009) % 200001 - 100000));
        out.append("\r\n");
    }
    return out;
}

// 5,000 MBK lines over the controller's 1,000 banks: five rounds, each
// replacing the one before, so the controller keeps the last 1,000 lines.
std::string mbk_file(int from = 0) {
    std::string out;
    for (int i = from; i < qvt::bench::kLines; ++i) {
        const int bank = i % 1000;
        std::string text = "round " + std::to_string(i / 1000) + " data?" + std::to_string(i);
        char head[16];
        std::snprintf(head, sizeof head, "MB%03d %zu ", bank, text.size());
        out.append(head).append(text).append("\r\n");
    }
    return out;
}

}  // namespace

int main() {
    const std::string dir = bench::scratch_dir();
    const std::string source = bench::write_program_file(dir + "/in.Q2K");
    const std::string saved = dir + "/out.Q2K";

    test::VirtualEventPump pump;
    pump.set_time_limit(24LL * 3600 * 1000);
    link::SharedState state;
    CountingTerm term(pump);
    term.set_PortOpen(true);
    kvb::sim::Options options;
    options.baud = bench::kBaud;
    options.program_area_bytes = 1 << 20;
    kvb::sim::Controller sim(options);
    term.connect(&sim);
    term.set_output_rate(bench::kBaud / 10);
    link::Dialogue dialogue(state, term, pump);
    bench::AutoDialogs dialogs;
    bench::NullClipboard clipboard;
    console::Operations ops(dialogs);
    std::string prg, pnt, mbk, ime = "1";
    console::FileNames files{prg, pnt, mbk};
    console::Console console({state, term, pump, dialogs, clipboard, dialogue, ops, files, ime});
    transfer::Transfers transfers(
        {state, term, pump, dialogue, dialogs, console.shell, console.commands, ops, files});
    transfer::TransferOperations file_ops(transfers, dialogs);
    ops.provide(file_ops);
    console.shell.FormShow();

    const auto measure = [&](auto&& body) {
        Run r;
        const auto t0 = pump.now_ms();
        const auto sent0 = term.sent().size();
        const auto recv0 = term.received;
        const auto w0 = std::chrono::steady_clock::now();
        body();
        r.wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0)
                        .count();
        r.virtual_ms = static_cast<double>(pump.now_ms() - t0);
        r.sent = term.sent().size() - sent0;
        r.bytes = r.sent + (term.received - recv0);
        return r;
    };

    prg = source;
    state.file_preselected = 1;
    const Run load = measure([&] { transfers.load.Load68k(); });
    const std::string load_result = dialogs.texts.empty() ? "" : dialogs.texts.back();
    const auto processed = transfers.load.last_processed();

    pump.run_for(100);
    term.set_InBufferCount(0);
    prg = saved;
    state.file_preselected = 1;
    const Run save = measure([&] { transfers.save.Save68k(); });
    const std::string save_result = dialogs.texts.empty() ? "" : dialogs.texts.back();

    // The round trip: the saved file holds the same statements.
    transfer::QFileReader a, b;
    a.open(source);
    b.open(saved);
    int lines = 0, differ = 0;
    const auto squeeze = [](std::string s) {
        std::erase(s, ' ');
        return s;
    };
    while (!a.eof() || !b.eof()) {
        if (squeeze(a.read_line()) != squeeze(b.read_line())) ++differ;
        ++lines;
    }

    // Points and MBK data: load the file, save it back, compare.
    struct DataRun {
        const char* what;
        Run load, save;
        std::string load_result, save_result;
        bool same = false;
    };
    const auto data_round = [&](const char* what, transfer::DataTransfer& transfer,
                                std::string& name, const std::string& content,
                                const std::string& expected) {
        DataRun r{what, {}, {}, {}, {}, false};
        name = dir + "/in." + what;
        std::ofstream(name, std::ios::binary) << content;
        pump.run_for(100);
        term.set_InBufferCount(0);
        state.file_preselected = 1;
        r.load = measure([&] { transfer.Load(); });
        r.load_result = dialogs.texts.back();
        pump.run_for(100);
        term.set_InBufferCount(0);
        name = dir + "/out." + what;
        state.file_preselected = 1;
        r.save = measure([&] { transfer.Save(); });
        r.save_result = dialogs.texts.back();
        r.same = read_all(name) == expected;
        return r;
    };
    const std::string points = point_file();
    const std::string banks = mbk_file();
    const DataRun data_runs[] = {
        data_round("P2K", transfers.points, pnt, points, points),
        data_round("MBK", transfers.mbk, mbk, banks, mbk_file(qvt::bench::kLines - 1000)),
    };
    std::filesystem::remove_all(dir);

    // The clock's rounding of each line and of its acknowledgement.
    double rounding = 0;
    const double byte_ms = 10.0 * 1000.0 / bench::kBaud;
    for (const auto& l : bench::program_lines()) {
        const double out = static_cast<double>(l.size() + 1) * byte_ms;
        const double back = 3 * byte_ms;
        rounding += (std::ceil(out) - out) + (std::ceil(back) - back);
    }
    constexpr double kLoadPauses = 500 + 500 + 1000;
    constexpr double kSavePauses = 250 + 500 + 1000;
    std::printf("Program transfer of %d lines, in-process controller, line paced at %d baud\n",
                bench::kLines, bench::kBaud);
    std::printf("(virtual clock: time passes only on the wire and in prescribed pauses)\n");
    std::printf("  load: %s, %u lines, %llu bytes on the wire, wall time %.0f ms\n",
                load_result.c_str(), processed, static_cast<unsigned long long>(load.bytes),
                load.wall_ms);
    std::printf("  save: %s, %llu bytes on the wire, wall time %.0f ms\n", save_result.c_str(),
                static_cast<unsigned long long>(save.bytes), save.wall_ms);
    std::printf("  round trip: %d lines compared, %d differ\n", lines, differ);
    bool met = load_result == "Completed" && save_result == "Completed" && differ == 0 &&
               lines == bench::kLines;
    const double load_budget = bench::wire_ms(load.bytes) + kLoadPauses;
    const double save_budget = bench::wire_ms(save.bytes) + kSavePauses;
    // The virtual clock counts whole milliseconds, so every short exchange of
    // the load ends on the next millisecond; that rounding is the clock's, not
    // the program's, and belongs to the budget.
    std::printf("  the 1 ms clock's rounding of the load's line exchanges: %.1f ms\n", rounding);
    bench::print_ratio("load, virtual time", load.virtual_ms, load_budget + rounding, &met);
    bench::print_ratio("load, virtual + all CPU time", load.virtual_ms + load.wall_ms,
                       load_budget + rounding, &met);
    bench::print_ratio("save, virtual time", save.virtual_ms, save_budget, &met);
    bench::print_ratio("save, virtual + all CPU time", save.virtual_ms + save.wall_ms, save_budget,
                       &met);
    // The data transfers' only fixed pause is the one after stopping the
    // program; the point listing's page pauses cost wire time only.
    constexpr double kDataPauses = 250;
    // A data load runs in echo mode: the echo comes back while the line is
    // still going out. The test double hands the controller what drained in
    // each millisecond at once, so after a line's last millisecond the echo of
    // that last part, the LF of the echoed CR and the prompt still come back;
    // each part ends on the clock's next millisecond.
    const auto data_load_budget = [&](const std::string& file, const Run& run) {
        double ms = bench::wire_ms(run.sent) + kDataPauses;
        const double per_ms = bench::kBaud / 10.0 / 1000.0;
        for (std::size_t at = 0; at < file.size();) {
            const std::size_t end = file.find("\r\n", at);
            const double bytes = static_cast<double>(end - at + 1);
            const double out = std::ceil(bytes / per_ms);
            const double last_part = bytes - std::floor(per_ms * (out - 1));
            ms += (out - bytes * byte_ms) + std::ceil((last_part + 2) * byte_ms);
            at = end + 2;
        }
        return ms;
    };
    for (const auto& r : data_runs) {
        std::printf(
            "%s: load %s, %llu bytes, wall %.0f ms; save %s, %llu bytes, wall %.0f ms; "
            "saved file %s\n",
            r.what, r.load_result.c_str(), static_cast<unsigned long long>(r.load.bytes),
            r.load.wall_ms, r.save_result.c_str(), static_cast<unsigned long long>(r.save.bytes),
            r.save.wall_ms, r.same ? "as loaded" : "DIFFERS");
        met = met && r.same && r.load_result == "Completed" && r.save_result == "Completed";
        const double load_budget_ms =
            data_load_budget(std::string(r.what) == "P2K" ? points : banks, r.load);
        const double save_budget_ms = bench::wire_ms(r.save.bytes) + kDataPauses;
        bench::print_ratio("load, virtual time", r.load.virtual_ms, load_budget_ms, &met);
        bench::print_ratio("load, virtual + all CPU time", r.load.virtual_ms + r.load.wall_ms,
                           load_budget_ms, &met);
        bench::print_ratio("save, virtual time", r.save.virtual_ms, save_budget_ms, &met);
        bench::print_ratio("save, virtual + all CPU time", r.save.virtual_ms + r.save.wall_ms,
                           save_budget_ms, &met);
    }
    std::printf("  %s\n", met ? "goal met" : "NOT met");
    return met ? 0 : 1;
}
