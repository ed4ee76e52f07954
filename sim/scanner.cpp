#include "sim/scanner.h"

#include <cstdlib>

#include "sim/value.h"

namespace kvb::sim {

bool is_word_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

static bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
static bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
static bool is_hex(char c) {
    return is_digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return r;
}

void Scanner::skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
        ++pos_;
}

char Scanner::peek() {
    skip_blanks();
    return pos_ < text_.size() ? text_[pos_] : '\0';
}

bool Scanner::at_end() {
    skip_blanks();
    return pos_ >= text_.size();
}

bool Scanner::accept(char c) {
    if (peek() != c || at_end()) return false;
    ++pos_;
    return true;
}

void Scanner::expect(char c) {
    if (!accept(c)) throw SimError(msg::kSyntax);
}

std::string Scanner::peek_word() {
    skip_blanks();
    std::size_t end = pos_;
    if (end >= text_.size() || !is_letter(text_[end])) return {};
    while (end < text_.size() && is_word_char(text_[end]))
        ++end;
    return upper(text_.substr(pos_, end - pos_));
}

bool Scanner::accept_word(std::string_view keyword) {
    if (peek_word() != keyword) return false;
    pos_ += keyword.size();
    return true;
}

std::string Scanner::identifier() {
    std::string word = peek_word();
    if (word.empty()) throw SimError(msg::kSyntax);
    pos_ += word.size();
    if (pos_ < text_.size() && text_[pos_] == '$') {
        ++pos_;
        word += '$';
    }
    return word;
}

bool Scanner::at_number() {
    const char c = peek();
    if (is_digit(c) || c == '$') return true;
    if (c == '.' && pos_ + 1 < text_.size() && is_digit(text_[pos_ + 1])) return true;
    return c == '&' && pos_ + 1 < text_.size() &&
           (text_[pos_ + 1] == 'H' || text_[pos_ + 1] == 'h');
}

double Scanner::number() {
    skip_blanks();
    std::size_t p = pos_;
    int base = 10;
    if (p < text_.size() && text_[p] == '$') {
        base = 16;
        p += 1;
    } else if (p + 1 < text_.size() && text_[p] == '&') {
        base = 16;
        p += 2;
    }
    if (base == 16) {
        double v = 0;
        const std::size_t start = p;
        while (p < text_.size() && is_hex(text_[p])) {
            const char c = text_[p++];
            const int d = is_digit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
            v = v * 16 + d;
        }
        if (p == start) throw SimError(msg::kSyntax);
        pos_ = p;
        return v;
    }
    const std::size_t start = p;
    while (p < text_.size() && (is_digit(text_[p]) || text_[p] == '.'))
        ++p;
    if (p == start) throw SimError(msg::kSyntax);
    const std::string digits(text_.substr(start, p - start));
    char* end = nullptr;
    const double v = std::strtod(digits.c_str(), &end);
    if (end != digits.c_str() + digits.size()) throw SimError(msg::kSyntax);
    pos_ = p;
    return v;
}

std::string Scanner::quoted() {
    expect('"');
    const std::size_t close = text_.find('"', pos_);
    if (close == std::string_view::npos) throw SimError(msg::kSyntax);
    std::string s(text_.substr(pos_, close - pos_));
    pos_ = close + 1;
    return s;
}

bool Scanner::at_statement_end() {
    const char c = peek();
    if (at_end() || c == ':' || c == '\'') return true;
    return peek_word() == "ELSE";
}

std::size_t Scanner::next_statement() {
    if (peek() == ':' && !at_end()) return pos_ + 1;
    return std::string_view::npos;
}

void Scanner::expect_statement_end() {
    if (!at_statement_end()) throw SimError(msg::kSyntax);
}

}  // namespace kvb::sim
