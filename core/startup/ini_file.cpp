#include "core/startup/ini_file.h"

#include <array>
#include <fstream>
#include <system_error>

#include "core/platform/file_system.h"

namespace qvt::startup {

namespace fs = std::filesystem;

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

// The name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> section_name(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const auto close = line.find(']');
    if (close != std::string_view::npos) line = line.substr(0, close);
    return trim(line);
}

bool is_comment(std::string_view line) {
    line = trim(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

std::string_view strip_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniFile IniFile::from_bytes(std::string_view bytes) {
    IniFile ini;
    bool eol_seen = false;
    while (!bytes.empty()) {
        const auto lf = bytes.find('\n');
        std::string_view text = bytes.substr(0, lf);
        std::string_view eol;
        if (lf == std::string_view::npos) {
            bytes = {};
            // A CR ending the file ends its last line, as it will once a line
            // is added after it and its LF follows: "[name" + CR stays the
            // section it is read as now.
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                eol = "\r";
            }
        } else {
            eol = "\n";
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                eol = "\r\n";
            }
            bytes.remove_prefix(lf + 1);
            if (!eol_seen) {
                ini.new_eol_ = eol;
                eol_seen = true;
            }
        }
        ini.lines_.push_back(Line{std::string(text), std::string(eol)});
    }
    return ini;
}

std::optional<IniFile> IniFile::load(const fs::path& path) {
    // Looked at before it is opened: opening a FIFO would wait for a writer.
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return IniFile{};
    if (ec || status.type() != fs::file_type::regular) return std::nullopt;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    std::array<char, 4096> chunk{};
    // A file that grows after the look above is cut off here all the same.
    while ((in.read(chunk.data(), chunk.size()) || in.gcount() > 0) && bytes.size() <= kMaxBytes) {
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad() || bytes.size() > kMaxBytes) return std::nullopt;
    return from_bytes(bytes);
}

std::optional<IniFile::Span> IniFile::find_section(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = section_name(lines_[i].text);
        if (!name || !same_name(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !section_name(lines_[end].text))
            ++end;
        return Span{i, end};
    }
    return std::nullopt;
}

std::ptrdiff_t IniFile::find_key(const Span& span, std::string_view key) const {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const std::string_view text = lines_[i].text;
        if (is_comment(text)) continue;
        const auto eq = text.find('=');
        if (eq == std::string_view::npos) continue;
        if (same_name(trim(text.substr(0, eq)), key)) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::string IniFile::get(std::string_view section, std::string_view key,
                         std::string_view default_value) const {
    const auto span = find_section(section);
    if (!span) return std::string(default_value);
    const auto at = find_key(*span, key);
    if (at < 0) return std::string(default_value);
    const std::string_view text = lines_[static_cast<std::size_t>(at)].text;
    return std::string(strip_quotes(trim(text.substr(text.find('=') + 1))));
}

bool IniFile::contains(std::string_view section, std::string_view key) const {
    const auto span = find_section(section);
    return span && find_key(*span, key) >= 0;
}

void IniFile::insert_line(std::size_t at, std::string text) {
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = new_eol_;
    if (at > 0 && lines_[at - 1].eol == "\r") lines_[at - 1].eol = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{std::move(text), new_eol_});
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + "=" + std::string(value);
    const auto span = find_section(section);
    if (!span) {
        if (!lines_.empty() && !trim(lines_.back().text).empty()) insert_line(lines_.size(), "");
        insert_line(lines_.size(), '[' + std::string(section) + ']');
        insert_line(lines_.size(), std::move(line));
        return;
    }
    if (const auto at = find_key(*span, key); at >= 0) {
        lines_[static_cast<std::size_t>(at)].text = std::move(line);
        return;
    }
    std::size_t last = span->header;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (!trim(lines_[i].text).empty()) last = i;
    }
    insert_line(last + 1, std::move(line));
}

std::string IniFile::bytes() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

bool IniFile::save(const fs::path& path, std::string& error) const {
    if (auto failed = platform::write_file_safely(path, bytes())) {
        error = std::move(*failed);
        return false;
    }
    return true;
}

}  // namespace qvt::startup
