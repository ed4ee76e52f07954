// The history files beside the profile: one entry per line, bytes kept as they
// are.
//
// How it works: reading splits the whole file at CR, LF or CR LF, so files
// written by any editor load; a final line without a line end still counts and
// an empty last line after the final line end does not. Writing puts CR LF
// after every entry and replaces the file the safe way of
// core/platform/file_system.h, so a full disk leaves the old file whole rather
// than cut mid-entry. A file that exists but cannot be read (a folder in its
// place, a FIFO, no permission) is reported, its list starts empty, and it is
// not written at the close: it may hold entries this run never saw. The four
// lists (commands ".cdh", program files ".flh", point files ".pth", MBK files
// ".mbh") share the scheme.
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

// Fills `entries` from the file (none when it does not exist). Returns the
// message to show when the file exists but cannot be read; `entries` is then
// empty.
std::optional<std::string> read_history_file(const std::string& path,
                                             std::vector<std::string>& entries);
// The same without the message: nothing when the file is missing or cannot be
// read.
std::optional<std::vector<std::string>> read_history_file(const std::string& path);
// Replaces the file. Throws std::runtime_error with the message to show when
// it cannot be written, or when the file there cannot be read.
void write_history_file(const std::string& path, const std::vector<std::string>& entries);

// "dir/qvtw2k" + ".cdh" for the executable "dir/qvtw2k.exe" (or "dir/qvtw2k").
std::string history_path(const std::string& executable_path, std::string_view ext);

}  // namespace qvt::console
