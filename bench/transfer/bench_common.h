// What both transfer benchmarks share: the 5,000-line program, dialogs that
// answer OK without showing anything, and the wire-time arithmetic.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/platform/clipboard.h"
#include "core/platform/dialogs.h"

namespace qvt::bench {

inline constexpr int kLines = 5000;
inline constexpr int kBaud = 115200;

// Program file lines (no numbers), 15 to 45 bytes, a label every 100 lines
// and a comment every 7th.
inline std::vector<std::string> program_lines() {
    std::vector<std::string> out;
    for (int i = 1; i <= kLines; ++i) {
        // Appended piece by piece: GCC 12 at -O3 misreads "literal" + string.
        std::string s;
        const std::string n = std::to_string(i);
        if (i % 100 == 1) s.append("*L").append(n).append(": ");
        s.append("V").append(n).append("=V").append(std::to_string(i - 1));
        s.append("+").append(std::to_string(i % 97));
        if (i % 3 == 0) s.append(" : W=").append(std::to_string(i * 13));
        if (i % 7 == 0) s.append(" 'step ").append(n);
        out.push_back(s);
    }
    return out;
}

inline std::string write_program_file(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& l : program_lines())
        out << l << "\r\n";
    return path;
}

inline std::string scratch_dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvt_bench_XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return ::mkdtemp(name.data());
}

inline double wire_ms(std::uint64_t bytes) {
    return static_cast<double>(bytes) * 10.0 * 1000.0 / kBaud;
}

// Every box answered OK at once; no file dialog (the file is preselected).
class AutoDialogs : public platform::Dialogs {
  public:
    platform::MsgResult MessageBox(const std::string&, const std::string& text, platform::MsgIcon,
                                   platform::MsgButtons) override {
        texts.push_back(text);
        return platform::MsgResult::Ok;
    }
    bool FileDialog(const platform::FileDialogRequest&, std::string&) override { return false; }
    std::vector<std::string> texts;
};

class NullClipboard : public platform::Clipboard {
  public:
    std::string text() const override { return {}; }
    void set_text(const std::string&) override {}
};

inline void print_ratio(const char* what, double measured_ms, double budget_ms, bool* all_met) {
    const double ratio = measured_ms / budget_ms;
    const bool met = ratio <= 1.05;
    std::printf("  %-34s %9.1f ms of %9.1f ms budget: %.4f x (goal <= 1.05) %s\n", what,
                measured_ms, budget_ms, ratio, met ? "goal met" : "NOT met");
    if (!met) *all_met = false;
}

}  // namespace qvt::bench
