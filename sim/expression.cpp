#include "sim/expression.h"

#include <array>
#include <cmath>
#include <string_view>

namespace kvb::sim {

namespace {

constexpr std::array<std::string_view, 41> kReserved = {
    "AND",   "OR",  "NOT",  "MOD",   "THEN",   "ELSE", "TO",   "STEP", "PRINT",
    "PRX",   "PRA", "GOTO", "GOSUB", "RETURN", "IF",   "FOR",  "NEXT", "WAIT",
    "DELAY", "END", "STOP", "INPUT", "LET",    "REM",  "BKP",  "ABS",  "INT",
    "LEN",   "ASC", "CHR",  "STR",   "HEX",    "RUN",  "LIST", "NEW",  "CONT"};

double truth(bool b) {
    return b ? -1.0 : 0.0;
}

}  // namespace

bool is_reserved_word(const std::string& word) {
    for (auto r : kReserved) {
        if (word == r) return true;
    }
    return false;
}

double Expression::num(const Value& v) const {
    if (v.is_string) throw SimError(msg::kTypeMismatch);
    return v.number;
}

Value Expression::parse() {
    return or_expr();
}

double Expression::parse_number() {
    return num(parse());
}

std::string Expression::parse_string() {
    Value v = parse();
    if (!v.is_string) throw SimError(msg::kTypeMismatch);
    return v.text;
}

Value Expression::or_expr() {
    Value left = and_expr();
    while (s_.accept_word("OR")) {
        const Value right = and_expr();
        left = Value::of(static_cast<double>(to_int32(num(left)) | to_int32(num(right))));
    }
    return left;
}

Value Expression::and_expr() {
    Value left = not_expr();
    while (s_.accept_word("AND")) {
        const Value right = not_expr();
        left = Value::of(static_cast<double>(to_int32(num(left)) & to_int32(num(right))));
    }
    return left;
}

Value Expression::not_expr() {
    if (s_.accept_word("NOT")) return Value::of(static_cast<double>(~to_int32(num(not_expr()))));
    return comparison();
}

Value Expression::comparison() {
    Value left = sum();
    int op = 0;  // 1 =, 2 <>, 3 <, 4 >, 5 <=, 6 >=
    if (s_.accept('=')) {
        op = 1;
    } else if (s_.accept('<')) {
        op = s_.accept('>') ? 2 : (s_.accept('=') ? 5 : 3);
    } else if (s_.accept('>')) {
        op = s_.accept('=') ? 6 : 4;
    }
    if (op == 0) return left;
    const Value right = sum();
    if (left.is_string != right.is_string) throw SimError(msg::kTypeMismatch);
    int c = 0;
    if (left.is_string) {
        c = left.text.compare(right.text);
    } else {
        c = left.number < right.number ? -1 : (left.number > right.number ? 1 : 0);
    }
    switch (op) {
        case 1:
            return Value::of(truth(c == 0));
        case 2:
            return Value::of(truth(c != 0));
        case 3:
            return Value::of(truth(c < 0));
        case 4:
            return Value::of(truth(c > 0));
        case 5:
            return Value::of(truth(c <= 0));
        default:
            return Value::of(truth(c >= 0));
    }
}

Value Expression::sum() {
    Value left = product();
    for (;;) {
        if (s_.accept('+')) {
            const Value right = product();
            if (left.is_string != right.is_string) throw SimError(msg::kTypeMismatch);
            if (left.is_string) {
                left.text += right.text;
            } else {
                left.number += right.number;
            }
        } else if (s_.accept('-')) {
            left = Value::of(num(left) - num(product()));
        } else {
            return left;
        }
    }
}

Value Expression::product() {
    Value left = unary();
    for (;;) {
        if (s_.accept('*')) {
            left = Value::of(num(left) * num(unary()));
        } else if (s_.accept('/')) {
            const double d = num(unary());
            const double n = num(left);
            if (d == 0) {
                if (vars_ != nullptr) throw SimError(msg::kDivByZero);
                left = Value::of(0.0);
            } else {
                left = Value::of(n / d);
            }
        } else if (s_.accept_word("MOD")) {
            const std::int32_t d = to_int32(num(unary()));
            const std::int32_t n = to_int32(num(left));
            if (d == 0) {
                if (vars_ != nullptr) throw SimError(msg::kDivByZero);
                left = Value::of(0.0);
            } else {
                left = Value::of(static_cast<double>(static_cast<std::int64_t>(n) % d));
            }
        } else {
            return left;
        }
    }
}

Value Expression::unary() {
    if (s_.accept('-')) return Value::of(-num(unary()));
    if (s_.accept('+')) return Value::of(num(unary()));
    return primary();
}

Value Expression::primary() {
    if (s_.at_number()) return Value::of(s_.number());
    const char c = s_.peek();
    if (c == '"') return Value::of(s_.quoted());
    if (s_.accept('(')) {
        Value v = parse();
        s_.expect(')');
        return v;
    }
    std::string name = s_.identifier();
    const std::string base = name.back() == '$' ? name.substr(0, name.size() - 1) : name;
    if (s_.peek() == '(') return function(name);
    if (is_reserved_word(base)) throw SimError(msg::kSyntax);
    if (vars_ == nullptr) {
        return name.back() == '$' ? Value::of(std::string{}) : Value::of(0.0);
    }
    return vars_->get(name);
}

Value Expression::function(const std::string& name) {
    s_.expect('(');
    Value arg = parse();
    s_.expect(')');
    if (name == "ABS") return Value::of(std::fabs(num(arg)));
    if (name == "INT") return Value::of(std::floor(num(arg)));
    if (name == "LEN") {
        if (!arg.is_string) throw SimError(msg::kTypeMismatch);
        return Value::of(static_cast<double>(arg.text.size()));
    }
    if (name == "ASC") {
        if (!arg.is_string) throw SimError(msg::kTypeMismatch);
        return Value::of(
            arg.text.empty() ? 0.0 : static_cast<double>(static_cast<unsigned char>(arg.text[0])));
    }
    if (name == "CHR$")
        return Value::of(std::string(1, static_cast<char>(to_int32(num(arg)) & 0xFF)));
    if (name == "STR$") return Value::of(format_number(num(arg)));
    if (name == "HEX$") return Value::of(format_hex(num(arg)));
    if (name == "IN") {
        const double bank = num(arg);
        if (vars_ == nullptr || io_ == nullptr) return Value::of(0.0);
        return Value::of(static_cast<double>(io_->read(to_int32(bank), now_)));
    }
    throw SimError(msg::kSyntax);
}

}  // namespace kvb::sim
