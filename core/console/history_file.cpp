#include "core/console/history_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

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

std::optional<std::vector<std::string>> read_history_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return split_history_lines(bytes);
}

void write_history_file(const std::string& path, const std::vector<std::string>& entries) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = join_history_lines(entries);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("Cannot write " + path);
}

std::string history_path(const std::string& executable_path, std::string_view ext) {
    std::filesystem::path p(executable_path);
    p.replace_extension(std::string(ext));
    return p.string();
}

}  // namespace qvt::console
