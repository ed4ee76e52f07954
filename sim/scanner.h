// A cursor over one program line or command line.
//
// The language is scanned straight from its text: there is no token stream.
// Keywords and variable names are case-insensitive words of letters, digits
// and "_"; a statement ends at ":", at an apostrophe (comment to the end of the
// line), at the word ELSE, or at the end of the text. Quoted strings are
// skipped as a whole so that none of those marks count inside them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kvb::sim {

class Scanner {
  public:
    explicit Scanner(std::string_view text, std::size_t pos = 0) : text_(text), pos_(pos) {}

    std::size_t pos() const { return pos_; }
    void set_pos(std::size_t p) { pos_ = p; }
    std::string_view text() const { return text_; }

    void skip_blanks();
    // The next non-blank character, or '\0' at the end.
    char peek();
    bool at_end();
    // Consumes c when it is next (after blanks).
    bool accept(char c);
    void expect(char c);
    // Consumes the keyword when the next word is exactly it (case ignored).
    bool accept_word(std::string_view keyword);
    // The next word upper-cased, without consuming it; empty if none.
    std::string peek_word();
    // An identifier upper-cased, with a trailing "$" when present; throws when none.
    std::string identifier();
    bool at_number();
    double number();
    // A quoted string without its quotes; the opening quote must be next.
    std::string quoted();
    // End of statement: ":", apostrophe, ELSE or the end of the text.
    bool at_statement_end();
    // The position of the next statement ("after ':'"), or npos when the line ends here.
    std::size_t next_statement();
    // Throws a syntax error unless at a statement end.
    void expect_statement_end();

  private:
    std::string_view text_;
    std::size_t pos_;
};

bool is_word_char(char c);
std::string upper(std::string_view s);

}  // namespace kvb::sim
