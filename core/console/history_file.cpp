#include "core/console/history_file.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "core/platform/file_system.h"

namespace qvt::console {

std::vector<std::string> split_history_lines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;  // characters (or an empty line) seen since the last line end
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            current.push_back(c);
            pending = true;
        }
    }
    if (pending) lines.push_back(std::move(current));
    return lines;
}

std::string join_history_lines(const std::vector<std::string>& entries) {
    std::string out;
    for (const auto& e : entries) {
        out += e;
        out += "\r\n";
    }
    return out;
}

namespace {

namespace fs = std::filesystem;

// Anything at the name, also what cannot be looked at.
bool something_at(const fs::path& file) {
    std::error_code ec;
    return fs::status(file, ec).type() != fs::file_type::not_found;
}

// The whole file; nothing when it is no regular file (a pipe would block, a
// device never end) or a read fails.
std::optional<std::string> read_whole(const fs::path& file) {
    if (!platform::is_regular_file(file)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    std::array<char, 4096> chunk{};
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> read_history_file(const std::string& path,
                                             std::vector<std::string>& entries) {
    entries.clear();
    const fs::path file = platform::file_path(path);
    if (!something_at(file)) return std::nullopt;
    const auto bytes = read_whole(file);
    if (!bytes) return "Unable to read " + path + "; the list starts empty and the file is kept.";
    entries = split_history_lines(*bytes);
    return std::nullopt;
}

std::optional<std::vector<std::string>> read_history_file(const std::string& path) {
    std::vector<std::string> entries;
    if (!something_at(platform::file_path(path)) || read_history_file(path, entries)) {
        return std::nullopt;
    }
    return entries;
}

void write_history_file(const std::string& path, const std::vector<std::string>& entries) {
    const fs::path file = platform::file_path(path);
    // Replacing a file we could not read would lose what it holds.
    if (something_at(file) &&
        !(platform::is_regular_file(file) && std::ifstream(file, std::ios::binary).is_open())) {
        throw std::runtime_error("Unable to read " + path + "; the list was not saved.");
    }
    if (auto error = platform::write_file_safely(file, join_history_lines(entries))) {
        throw std::runtime_error(*error);
    }
}

std::string history_path(const std::string& executable_path, std::string_view ext) {
    std::filesystem::path p = platform::file_path(executable_path);
    p.replace_extension(std::string(ext));
    return platform::file_name(p);
}

}  // namespace qvt::console
