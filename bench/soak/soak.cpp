#include "bench/soak/soak.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <stdexcept>

#include "sim/controller.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::soak {

namespace {

// Long enough for any transfer here on a sound line; a user who waits this
// long presses Abort.
constexpr platform::Millis kPatienceMs = 60'000;
constexpr std::size_t kProblemsKept = 12;

enum class Op { ProgramSave, ProgramLoad, PointSave, PointLoad, MbkSave, MbkLoad };
constexpr const char* kOpNames[] = {"program save", "program load", "point save",
                                    "point load",   "MBK save",     "MBK load"};

bool is_save(Op op) {
    return op == Op::ProgramSave || op == Op::PointSave || op == Op::MbkSave;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Letters upper-cased, blanks and line noise (bytes from 0x80, which the
// garbage fault puts on the line and no file here holds) removed, and lines
// left empty by that dropped.
std::string squeeze(std::string_view s) {
    std::string out, line;
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n') {
            if (!line.empty()) out.append(line).append("\n");
            line.clear();
        } else if (u > ' ' && u < 0x80) {
            line += static_cast<char>(u >= 'a' && u <= 'z' ? u - 32 : u);
        }
    }
    return out + line;
}

// The program as its file holds it: each listed line's text after the TAB.
std::string program_as_file(const std::string& listing) {
    std::string out;
    std::size_t at = 0;
    while (at < listing.size()) {
        const auto end = listing.find("\r\n", at);
        const auto tab = listing.find('\t', at);
        out.append(listing, tab + 1, end - tab - 1).append("\r\n");
        at = end + 2;
    }
    return out;
}

std::string program_file(int generation, int lines) {
    std::string out;
    for (int i = 1; i <= lines; ++i)
        out.append("V")
            .append(std::to_string(i))
            .append("=")
            .append(std::to_string(generation))
            .append("+")
            .append(std::to_string(i))
            .append("\r\n");
    return out;
}

std::string point_file(int generation, int lines) {
    std::string out;
    for (int i = 1; i <= lines; ++i) {
        out.append("PNT ").append(std::to_string(i));
        for (int k = 1; k <= 4; ++k)
            out.append(" ").append(std::to_string(generation * 10 + k));
        out.append("\r\n");
    }
    return out;
}

std::string mbk_file(int generation, int lines) {
    std::string out;
    for (int i = 0; i < lines; ++i) {
        const std::string text = "gen" + std::to_string(generation);
        char head[32];
        std::snprintf(head, sizeof head, "MB%03d %zu ", i, text.size());
        out.append(head).append(text).append("\r\n");
    }
    return out;
}

struct Fault {
    const char* name;
    kvb::sim::Options options;
};

Fault draw_fault(std::mt19937& rng) {
    Fault f{"none", {}};
    f.options.seed = rng() | 1;
    switch (rng() % 6) {
        case 0:
            break;
        case 1:
            f.name = "reply delay 2.5 s";
            f.options.reply_delay_ms = 2500;
            break;
        case 2:
            f.name = "every n-th prompt dropped";
            f.options.drop_prompt_every = 2 + static_cast<int>(rng() % 7);
            break;
        case 3:
            f.name = "all prompts dropped";
            f.options.drop_prompt = true;
            break;
        case 4:
            f.name = "garbage bytes";
            f.options.garbage_every = 20 + static_cast<int>(rng() % 180);
            break;
        default:
            f.name = "hang-up";
            f.options.hang_up_after_bytes = 1 + static_cast<int>(rng() % 3000);
            break;
    }
    return f;
}

class Soak {
  public:
    explicit Soak(std::uint32_t seed) : rng_(seed) {
        kvb::sim::Options options;
        options.program_area_bytes = 1 << 20;
        sim_ = &rig_.attach_sim(options);
        rig_.pump.set_time_limit(std::numeric_limits<platform::Millis>::max() / 2);
    }

    void step(int iteration, Report& report) {
        const Op op = static_cast<Op>(rng_() % 6);
        const Fault fault = draw_fault(rng_);
        ++report.faults[fault.name];
        const int lines = 1 + static_cast<int>(rng_() % 40);

        // A load cut off by a lost line or a wait that never ends (the user
        // closes the program) leaves the controller in load mode, where every
        // command becomes a program line; the next transfer must notice.
        // A new connection with this run's fault; what the last run left on
        // the line is gone.
        sim_->reconnect(fault.options);
        if (!rig_.term.PortOpen()) rig_.term.set_PortOpen(true);
        rig_.pump.run_for(10);
        rig_.term.set_InBufferCount(0);
        rig_.state.abort_request = 0;

        const std::string dir = rig_.dir.path().string();
        const char* ext = op == Op::ProgramSave || op == Op::ProgramLoad ? "Q2K"
                          : op == Op::PointSave || op == Op::PointLoad   ? "P2K"
                                                                         : "MBK";
        const std::string path = dir + (is_save(op) ? "/saved." : "/load.") + ext;
        std::string& name = op == Op::ProgramSave || op == Op::ProgramLoad ? rig_.prg_file
                            : op == Op::PointSave || op == Op::PointLoad   ? rig_.pnt_file
                                                                           : rig_.mbk_file;
        name = path;
        std::string content;
        if (is_save(op)) {
            content = "old file of run " + std::to_string(iteration) + "\r\n";
        } else if (op == Op::ProgramLoad) {
            content = program_file(iteration, lines);
        } else if (op == Op::PointLoad) {
            content = point_file(iteration, lines);
        } else {
            content = mbk_file(iteration, lines);
        }
        write_file(path, content);
        const std::string before = held(op);
        const std::size_t sent_before = rig_.term.sent().size();
        rig_.dialogs.clear();
        rig_.state.file_preselected = 1;

        const int token = iteration;
        rig_.pump.post_at(rig_.pump.now_ms() + kPatienceMs, [this, token] {
            if (token == current_ && rig_.progress().visible()) rig_.progress().Button1Click();
        });
        current_ = token;

        std::string outcome;
        try {
            run(op);
            outcome = rig_.dialogs.last_text();
        } catch (const test::VirtualDeadlock&) {
            outcome = "waits for ever";
        } catch (const std::exception& e) {
            outcome = std::string("error: ") + e.what();
        }
        outcome = outcome.substr(0, outcome.find_first_of("\r\n"));
        // The virtual pump ends a wait that nothing could ever end; the
        // transfer reports it like any failure, with the time in it.
        const auto forever = outcome.find("wait without a deadline");
        if (forever != std::string::npos) outcome = outcome.substr(0, forever) + "waits for ever";
        if (outcome.size() > 48) outcome = outcome.substr(0, 48) + "...";
        if (outcome.empty()) outcome = "(no message)";

        std::vector<std::string> broken;
        if (rig_.state.transfer_mode != 0) broken.push_back("transfer_mode left set");
        if (!rig_.progress().main_window_enabled()) broken.push_back("main window left disabled");
        if (rig_.progress().visible()) broken.push_back("progress dialog left open");
        const std::string after = held(op);
        const std::string sent = rig_.term.sent().substr(sent_before);
        const bool completed = outcome == "Completed";
        if (is_save(op)) {
            const std::string file = read_file(path);
            const std::string expected = op == Op::ProgramSave ? program_as_file(after) : after;
            if (completed && squeeze(file) != squeeze(expected))
                broken.push_back("completed save differs from the controller");
            // A save whose listing was whole may fail after replacing the
            // file (a later prompt never came): then it holds the program.
            if (!completed && file != content && squeeze(file) != squeeze(expected))
                broken.push_back("failed save changed the old file");
        } else {
            const char* clear = op == Op::ProgramLoad ? "NEW\r"
                                : op == Op::PointLoad ? "NEWP\r"
                                                      : "NEWM\r";
            if (sent.find(clear) == std::string::npos && after != before)
                broken.push_back("load that never cleared changed the controller's data");
            const std::string got = op == Op::ProgramLoad ? program_as_file(after) : after;
            if (completed && squeeze(got) != squeeze(content))
                broken.push_back("completed load left other data in the controller");
        }

        Tally& t = report.rows[{kOpNames[static_cast<int>(op)], outcome}];
        ++t.count;
        if (!broken.empty()) {
            ++t.failed_checks;
            ++report.failed_checks;
            if (report.problems.size() < kProblemsKept)
                report.problems.push_back("run " + std::to_string(iteration) + ", " +
                                          kOpNames[static_cast<int>(op)] + " with " + fault.name +
                                          ": " + broken.front());
        }
        ++report.iterations;
    }

  private:
    std::string held(Op op) const {
        if (op == Op::ProgramSave || op == Op::ProgramLoad) return sim_->program();
        if (op == Op::PointSave || op == Op::PointLoad) return sim_->point_table();
        return sim_->mbk_data();
    }

    void run(Op op) {
        auto& t = rig_.transfers;
        switch (op) {
            case Op::ProgramSave:
                return t.save.Save68k();
            case Op::ProgramLoad:
                return t.load.Load68k();
            case Op::PointSave:
                return t.points.Save();
            case Op::PointLoad:
                return t.points.Load();
            case Op::MbkSave:
                return t.mbk.Save();
            case Op::MbkLoad:
                return t.mbk.Load();
        }
    }

    std::mt19937 rng_;
    test::TransferRig rig_;
    kvb::sim::Controller* sim_ = nullptr;
    int current_ = -1;
};

}  // namespace

Report run(int iterations, std::uint32_t seed) {
    Report report;
    Soak soak(seed);
    for (int i = 0; i < iterations; ++i)
        soak.step(i, report);
    return report;
}

std::string table(const Report& report) {
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line, "%-13s %-52s %6s %8s\n", "operation", "outcome", "runs",
                  "checks");
    out += line;
    for (const auto& [key, tally] : report.rows) {
        std::snprintf(line, sizeof line, "%-13s %-52s %6d %8s\n", key.first.c_str(),
                      key.second.c_str(), tally.count,
                      tally.failed_checks == 0
                          ? "ok"
                          : (std::to_string(tally.failed_checks) + " FAILED").c_str());
        out += line;
    }
    out += "faults drawn:";
    for (const auto& [name, count] : report.faults)
        out += " " + name + " " + std::to_string(count) + ";";
    out += "\n";
    for (const auto& p : report.problems)
        out += "  " + p + "\n";
    std::snprintf(line, sizeof line, "%d runs, %d with a failed check\n", report.iterations,
                  report.failed_checks);
    out += line;
    return out;
}

}  // namespace qvt::soak
