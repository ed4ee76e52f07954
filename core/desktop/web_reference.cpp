#include "core/desktop/web_reference.h"

#include <string_view>

namespace qvt::desktop {

namespace {

constexpr std::string_view kRightDelimiters = " (=:');,|~+-*/%^";
constexpr std::string_view kLeftDelimiters = " >=:(;,|~+-*/%^";
constexpr std::size_t kMaxWord = 255;

bool is_delimiter(std::string_view set, char c) {
    return set.find(c) != std::string_view::npos;
}

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string reference_word(const std::string& line, int column) {
    if (column < 1 || static_cast<std::size_t>(column - 1) > line.size()) return {};
    const std::size_t cursor = static_cast<std::size_t>(column - 1);

    std::size_t end = cursor;
    while (end < line.size() && !is_delimiter(kRightDelimiters, line[end]))
        ++end;
    std::size_t begin = cursor;
    while (begin > 0 && !is_delimiter(kLeftDelimiters, line[begin - 1]))
        --begin;

    // Blanks delimit on both sides, so the word holds none to trim.
    const std::string word = line.substr(begin, end - begin);
    const std::size_t first = word.find_first_not_of('#');
    if (first == std::string::npos) return {};
    const std::string bounded = word.substr(first, kMaxWord);
    return bounded.substr(0, bounded.find('#'));
}

std::string reference_address(const std::string& host, const std::string& word) {
    std::string address = host.find("://") == std::string::npos ? "https://" + host : host;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    address += "/kvb2000/ref/index.php?dsp=jpn&srh=search&sl1=on&typ=and&wrd=";
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : word) {
        const auto c = static_cast<unsigned char>(ch);
        if (unreserved(c)) {
            address += ch;
        } else {
            address += '%';
            address += kHex[c >> 4];
            address += kHex[c & 15];
        }
    }
    return address;
}

}  // namespace qvt::desktop
