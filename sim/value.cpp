#include "sim/value.h"

#include <cmath>
#include <cstdio>

namespace kvb::sim {

Value Variables::get(const std::string& name) const {
    auto it = values_.find(name);
    if (it != values_.end()) return it->second;
    if (!name.empty() && name.back() == '$') return Value::of(std::string{});
    return Value::of(0.0);
}

void Variables::set(const std::string& name, Value v) {
    const bool wants_string = !name.empty() && name.back() == '$';
    if (wants_string != v.is_string) throw SimError(msg::kTypeMismatch);
    values_[name] = std::move(v);
}

std::string format_number(double n) {
    char buf[64];
    if (std::isfinite(n) && n == std::trunc(n) && std::fabs(n) < 1e15) {
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(n));
    } else {
        std::snprintf(buf, sizeof buf, "%.10g", n);
    }
    return buf;
}

std::int32_t to_int32(double n) {
    if (!std::isfinite(n)) return 0;
    const double t = std::fmod(std::trunc(n), 4294967296.0);
    const auto u = static_cast<std::uint32_t>(static_cast<std::int64_t>(t));
    return static_cast<std::int32_t>(u);
}

std::string format_hex(double n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(to_int32(n))));
    return buf;
}

}  // namespace kvb::sim
