// The history files beside the executable: one entry per line, bytes kept as
// they are.
//
// How it works: reading splits the whole file at CR, LF or CR LF, so files
// written by any editor load; a final line without a line end still counts and
// an empty last line after the final line end does not. Writing puts CR LF
// after every entry. The four lists (commands ".cdh", program files ".flh",
// point files ".pth", MBK files ".mbh") share the scheme.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvt::console {

inline constexpr std::string_view kCommandHistoryExt = ".cdh";
inline constexpr std::string_view kProgramHistoryExt = ".flh";
inline constexpr std::string_view kPointHistoryExt = ".pth";
inline constexpr std::string_view kMbkHistoryExt = ".mbh";

std::vector<std::string> split_history_lines(std::string_view bytes);
std::string join_history_lines(const std::vector<std::string>& entries);

// Nothing when the file does not exist or cannot be opened.
std::optional<std::vector<std::string>> read_history_file(const std::string& path);
// Replaces the file. Throws std::runtime_error when it cannot be written.
void write_history_file(const std::string& path, const std::vector<std::string>& entries);

// "dir/qvtw2k" + ".cdh" for the executable "dir/qvtw2k.exe" (or "dir/qvtw2k").
std::string history_path(const std::string& executable_path, std::string_view ext);

}  // namespace qvt::console
