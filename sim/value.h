// Values, variables and errors of the simulated controller's language.
//
// A value is either a number (held as a double; integral values print without
// a fraction) or a byte string. Variables are named by upper-cased
// identifiers; a trailing "$" marks a string variable. An unset variable reads
// as 0 or as the empty string. Errors are thrown as SimError carrying the exact
// text the controller prints ("Syntax error", "Division by zero", ...).
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

namespace kvb::sim {

struct Value {
    bool is_string = false;
    double number = 0;
    std::string text;

    static Value of(double n) { return Value{false, n, {}}; }
    static Value of(std::string s) { return Value{true, 0, std::move(s)}; }
};

class SimError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Message texts, one place so that tests and the manual agree.
namespace msg {
inline constexpr const char* kSyntax = "Syntax error";
inline constexpr const char* kTypeMismatch = "Type mismatch";
inline constexpr const char* kDivByZero = "Division by zero";
inline constexpr const char* kUndefinedLine = "Undefined line number";
inline constexpr const char* kUndefinedLabel = "Undefined label";
inline constexpr const char* kLineRange = "Line number out of range";
inline constexpr const char* kOverflow = "Program area is over flowed";
inline constexpr const char* kCantEdit = "Can't Edit";
inline constexpr const char* kCantContinue = "Can't continue";
inline constexpr const char* kIllegalDirect = "Illegal direct";
inline constexpr const char* kReturnWithoutGosub = "RETURN without GOSUB";
inline constexpr const char* kNextWithoutFor = "NEXT without FOR";
inline constexpr const char* kTooManyBreakPoints = "Too many break points";
inline constexpr const char* kStackOverflow = "Stack overflow";
// A bank, point or task number that does not exist.
inline constexpr const char* kIllegalFunction = "Illegal function call";
// Refused point and MBK lines: the host's load shows the reply's first
// character in front of the refused line, so the reply begins with a marker.
inline constexpr const char* kBadPointLine = "*Illegal point data";
inline constexpr const char* kBadMbkLine = "*Illegal MBK data";
}  // namespace msg

class Variables {
  public:
    Value get(const std::string& name) const;
    void set(const std::string& name, Value v);
    void clear() { values_.clear(); }

  private:
    std::map<std::string, Value> values_;
};

// Decimal form used by PRINT: integral values without fraction.
std::string format_number(double n);
// Upper-case hexadecimal of the value as a 32-bit two's complement integer.
std::string format_hex(double n);
// Truncates towards zero and wraps to 32 bits, as the controller's integers do.
std::int32_t to_int32(double n);

}  // namespace kvb::sim
