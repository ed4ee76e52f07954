// Expression evaluation by recursive descent straight over the text.
//
// Precedence, lowest first: OR; AND; NOT; comparisons (= <> < > <= >=, true is
// -1, false 0); + -; * / MOD; unary minus; primaries (numbers: decimal,
// "$1F" or "&H1F" hex; "strings"; variables; parentheses; the functions ABS,
// INT, LEN, ASC, CHR$, STR$, HEX$, and IN(bank), the byte of an IO bank). "+"
// joins strings. With no variable store
// (check mode) the same grammar is parsed without effects, so a program line
// can be checked for syntax when it is entered.
#pragma once

#include <cstdint>

#include "sim/io_space.h"
#include "sim/scanner.h"
#include "sim/value.h"

namespace kvb::sim {

class Expression {
  public:
    // vars null: check only; variables and IN() read as 0 / "" and arithmetic faults are
    // ignored. A counting input bank reads as it stands at `now`.
    Expression(Scanner& scanner, const Variables* vars, const IoSpace* io = nullptr,
               std::int64_t now = 0)
        : s_(scanner), vars_(vars), io_(io), now_(now) {}

    Value parse();
    double parse_number();
    std::string parse_string();

  private:
    Value or_expr();
    Value and_expr();
    Value not_expr();
    Value comparison();
    Value sum();
    Value product();
    Value unary();
    Value primary();
    Value function(const std::string& name);
    double num(const Value& v) const;

    Scanner& s_;
    const Variables* vars_;
    const IoSpace* io_;
    std::int64_t now_;
};

bool is_reserved_word(const std::string& word);

}  // namespace kvb::sim
