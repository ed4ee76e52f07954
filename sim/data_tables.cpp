#include "sim/data_tables.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace kvb::sim {

namespace {

constexpr int kMaxPoint = 9999;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

char up(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A decimal integer in [lo, hi], the whole text, an optional sign first.
std::optional<long long> integer(std::string_view s, long long lo, long long hi) {
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
        if (s.empty() || !is_digit(s[0])) return std::nullopt;
    }
    long long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || end != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

// Fields separated by runs of blanks (a TAB does not separate: the host's load
// splits at blanks only, and the two sides must agree on what a field is).
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t end = std::min(line.find(' ', i), line.size());
        out.push_back(line.substr(i, end - i));
        i = end;
    }
    return out;
}

bool has_prefix(const std::string& line, std::string_view word, std::size_t digits) {
    const std::size_t n = word.size() + digits;
    if (line.size() < n || (line.size() > n && line[n] != ' ')) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (up(line[i]) != word[i]) return false;
    }
    for (std::size_t i = word.size(); i < n; ++i) {
        if (!is_digit(line[i])) return false;
    }
    return true;
}

}  // namespace

bool DataTable::is_point_line(const std::string& line) {
    return has_prefix(line, "PNT", 0);
}

bool DataTable::is_mbk_line(const std::string& line) {
    return has_prefix(line, "MB", 3);
}

std::optional<DataTable::Entry> DataTable::parse_point(const std::string& line) {
    if (!is_point_line(line)) return std::nullopt;
    const auto f = fields(line);
    if (f.size() != 6) return std::nullopt;
    for (char c : f[1]) {
        if (!is_digit(c)) return std::nullopt;
    }
    const auto number = integer(f[1], 1, kMaxPoint);
    if (!number) return std::nullopt;
    bool zero = true;
    for (std::size_t i = 2; i < 6; ++i) {
        const auto v = integer(f[i], INT32_MIN, INT32_MAX);
        if (!v) return std::nullopt;
        zero = zero && *v == 0;
    }
    return Entry{static_cast<int>(*number), zero};
}

std::optional<DataTable::Entry> DataTable::parse_mbk(const std::string& line) {
    if (!is_mbk_line(line)) return std::nullopt;
    const int bank = (line[2] - '0') * 100 + (line[3] - '0') * 10 + (line[4] - '0');
    std::size_t i = 5;
    while (i < line.size() && line[i] == ' ')
        ++i;
    const std::size_t count_end = std::min(line.find(' ', i), line.size());
    for (std::size_t k = i; k < count_end; ++k) {
        if (!is_digit(line[k])) return std::nullopt;
    }
    const auto count = integer(std::string_view(line).substr(i, count_end - i), 0, 255);
    if (!count) return std::nullopt;
    if (*count == 0) {
        if (count_end != line.size()) return std::nullopt;
        return Entry{bank, true};
    }
    // Exactly one blank between the count and the text, which may itself begin with blanks.
    if (count_end == line.size()) return std::nullopt;
    const std::string_view text = std::string_view(line).substr(count_end + 1);
    if (text.size() != static_cast<std::size_t>(*count)) return std::nullopt;
    if (text.find('#') != std::string_view::npos) return std::nullopt;
    return Entry{bank, false};
}

void DataTable::put(const Entry& entry, const std::string& line) {
    if (entry.empty) {
        lines_.erase(entry.number);
    } else {
        lines_[entry.number] = line;
    }
}

std::vector<std::string> DataTable::list(std::optional<int> only) const {
    std::vector<std::string> out;
    for (const auto& [number, line] : lines_) {
        if (!only || *only == number) out.push_back(line);
    }
    return out;
}

}  // namespace kvb::sim
