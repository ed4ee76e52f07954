#include "core/console/line_parse.h"

namespace qvt::console {

namespace {

bool is_blank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int digit_value(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (hex) {
        const char u = upper(c);
        if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    }
    return -1;
}

bool starts_with_nocase(std::string_view line, std::string_view word) {
    if (line.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (upper(line[i]) != word[i]) return false;
    }
    return true;
}

}  // namespace

std::string ascii_upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = upper(c);
    return out;
}

std::string trim_blanks(std::string_view text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && is_blank(text[b]))
        ++b;
    while (e > b && is_blank(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

std::string cut_remark(std::string_view line) {
    const size_t at = line.find("/*");
    return std::string(at == std::string_view::npos ? line : line.substr(0, at));
}

std::string strip_prompts(std::string_view line) {
    size_t b = 0;
    while (b < line.size() && line[b] == '#')
        ++b;
    return trim_blanks(line.substr(b));
}

std::int64_t leading_number(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    // "x" alone is no prefix: XA=5 and X32=0 are statements on variables, and
    // taking them for step numbers would delete program lines 10 and 50.
    bool hex = false;
    if (i < line.size() && line[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < line.size() && line[i] == '0' &&
               (line[i + 1] == 'x' || line[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    // Large enough for any step number; longer digit runs stop counting rather
    // than overflow.
    constexpr std::int64_t kLimit = std::int64_t{1} << 48;
    std::int64_t value = 0;
    for (; i < line.size(); ++i) {
        const int d = digit_value(line[i], hex);
        if (d < 0 || value >= kLimit) break;
        value = value * (hex ? 16 : 10) + d;
    }
    return (negative && i == line.size()) ? -value : value;
}

std::optional<LocalMatch> match_local_command(std::string_view line) {
    for (const auto& cmd : kLocalCommands) {
        if (cmd.op == LocalOp::Ioc) {
            if (line.size() != cmd.word.size() || !starts_with_nocase(line, cmd.word)) continue;
        } else {
            if (!starts_with_nocase(line, cmd.word)) continue;
            if (cmd.op == LocalOp::Load && line.size() > 4 && line[4] != ' ') continue;
        }
        LocalMatch m{&cmd, {}};
        if (cmd.arg_from > 0 && line.size() >= static_cast<size_t>(cmd.arg_from)) {
            m.argument = trim_blanks(line.substr(static_cast<size_t>(cmd.arg_from - 1), 255));
        }
        return m;
    }
    return std::nullopt;
}

}  // namespace qvt::console
