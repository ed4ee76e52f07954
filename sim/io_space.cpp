#include "sim/io_space.h"

#include <algorithm>

#include "sim/value.h"

namespace kvb::sim {

namespace {

constexpr int kCunetFirstPoint = 2000;
constexpr int kCunetLastPoint = 6095;
constexpr int kCunetFirstBank = 2000;
constexpr int kCunetLastBank = 2511;
constexpr int kMemIoLastPoint = -8192;
constexpr int kMemIoLastBank = -1024;

bool real_output_bank(int bank) {
    return (bank >= 0 && bank <= 23) || (bank >= 48 && bank <= 71);
}

bool cunet_bank(int bank) {
    return bank >= kCunetFirstBank && bank <= kCunetLastBank;
}

bool memio_bank(int bank) {
    return bank <= -1 && bank >= kMemIoLastBank;
}

}  // namespace

bool IoSpace::valid_bank(int bank) {
    return (bank >= 0 && bank <= 95) || cunet_bank(bank) || memio_bank(bank);
}

std::optional<std::pair<int, int>> IoSpace::locate(int point) {
    if (point >= 0 && point <= 767) return std::pair{point / 8, point % 8};
    if (point >= kCunetFirstPoint && point <= kCunetLastPoint) {
        const int k = point - kCunetFirstPoint;
        return std::pair{kCunetFirstBank + k / 8, k % 8};
    }
    if (point <= -1 && point >= kMemIoLastPoint) {
        const int k = -point - 1;
        return std::pair{-(k / 8) - 1, k % 8};
    }
    return std::nullopt;
}

void IoSpace::set_counting(int bank, int interval_ms) {
    counting_ = bank;
    count_interval_ms_ = std::max(1, interval_ms);
    count_since_ = 0;
}

int IoSpace::read(int bank, std::int64_t now) const {
    if (!valid_bank(bank)) throw SimError(msg::kIllegalFunction);
    const auto it = banks_.find(bank);
    const int stored = it == banks_.end() ? 0 : it->second;
    if (bank != counting_) return stored;
    const std::int64_t steps = std::max<std::int64_t>(0, now - count_since_) / count_interval_ms_;
    return static_cast<int>((stored + steps) & 0xFF);
}

void IoSpace::write(int bank, int value, std::int64_t now) {
    // A counting bank counts on from the value written, from now.
    if (bank == counting_) count_since_ = now;
    banks_[bank] = static_cast<std::uint8_t>(value & 0xFF);
}

void IoSpace::switch_point(int point, bool on, std::int64_t now) {
    const auto where = locate(point);
    if (!where) throw SimError(msg::kIllegalFunction);
    const auto [bank, bit] = *where;
    if (bank <= 95 && bank >= 0 && !real_output_bank(bank)) throw SimError(msg::kIllegalFunction);
    const int old = read(bank, now);
    write(bank, on ? (old | (1 << bit)) : (old & ~(1 << bit)), now);
}

void IoSpace::set(int bank, int value, std::int64_t now) {
    if (!valid_bank(bank)) throw SimError(msg::kIllegalFunction);
    write(bank, value, now);
}

void IoSpace::clear(int mask, std::int64_t now) {
    const auto cleared = [mask](int bank) {
        return ((mask & 1) != 0 && real_output_bank(bank)) ||
               ((mask & 2) != 0 && cunet_bank(bank)) || ((mask & 8) != 0 && memio_bank(bank));
    };
    for (auto& [bank, value] : banks_) {
        if (cleared(bank)) value = 0;
    }
    if (counting_ && cleared(*counting_)) write(*counting_, 0, now);
}

}  // namespace kvb::sim
