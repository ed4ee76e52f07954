// The controller's input and output points, read and written a bank (8 points) at a time.
//
// Three point spaces share one bank numbering, so that "IN(bank)" and
// "ON point" need no space prefix:
//   real IO:   points 0-767, bank = point / 8 (banks 0-95). Outputs are banks
//              0-23 and 48-71 (points 0-191, 384-575), inputs banks 24-47 and
//              72-95 (points 192-383, 576-767);
//   CUnet:     points 2000-6095, bank 2000 + (point - 2000) / 8 (2000-2511);
//   memory IO: points -1 to -8192, point -1 is bit 0 of bank -1, point -9
//              bit 0 of bank -2, ... (banks -1 to -1024).
// Every CUnet and memory-IO point can be switched; of the real ones only the
// outputs (the inputs come from outside: set() and the counting bank).
//
// One bank can count up by itself, one step per interval of controller time,
// so that input lamps move in the demo. Its value is computed from the time
// of the read, so a counting bank costs nothing while nobody looks.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace kvb::sim {

class IoSpace {
  public:
    static bool valid_bank(int bank);
    // The bank and bit of a point; nothing for a number outside the spaces.
    static std::optional<std::pair<int, int>> locate(int point);

    // The bank that counts, one step every interval_ms (at least 1).
    void set_counting(int bank, int interval_ms);

    // Throw SimError ("Illegal function call") for a bank or point that does not exist.
    int read(int bank, std::int64_t now) const;
    // ON / OFF: only outputs; a real input is refused like a missing point.
    void switch_point(int point, bool on, std::int64_t now);
    // Sets a whole bank, outputs and inputs alike (tests, kvbsim --input-bank).
    void set(int bank, int value, std::int64_t now);
    // CLR_OUTP: bit 0 real outputs, bit 1 CUnet, bit 3 memory IO (bit 2, MBK,
    // names no points here).
    void clear(int mask, std::int64_t now);

  private:
    void write(int bank, int value, std::int64_t now);

    std::map<int, std::uint8_t> banks_;  // banks never written read as 0
    std::optional<int> counting_;
    int count_interval_ms_ = 100;
    std::int64_t count_since_ = 0;
};

}  // namespace kvb::sim
