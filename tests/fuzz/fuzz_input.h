// What every harness shares: a check that stops the run with the broken rule,
// and a splitter that cuts one input into the pieces a reader would see.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// An invariant that does not hold is a finding like a crash: the fuzzer keeps
// the input and the replay test fails on it.
#define QVT_FUZZ_CHECK(cond)                                                                  \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

namespace qvt::fuzz {

// Consumes an input from the front: a few bytes of choices, then the rest as
// the data, so the fuzzer mutates both the choices and the bytes.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (bytes_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return b;
    }
    // Up to n bytes, fewer at the end.
    std::string_view take(std::size_t n) {
        const auto part = bytes_.substr(0, n);
        bytes_.remove_prefix(part.size());
        return part;
    }
    // Bytes up to the next 0 byte (which is consumed), or the rest.
    std::string_view until_nul() {
        const auto end = bytes_.find('\0');
        const auto part = bytes_.substr(0, end);
        bytes_.remove_prefix(end == std::string_view::npos ? bytes_.size() : end + 1);
        return part;
    }
    std::string_view rest() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }

  private:
    std::string_view bytes_;
};

// The data cut into pieces of 1..max_piece bytes, the sizes drawn from seed,
// as a serial line hands a reply over in arbitrary reads.
inline std::vector<std::string_view> pieces(std::string_view data, std::uint8_t seed,
                                            std::size_t max_piece = 64) {
    std::vector<std::string_view> out;
    std::uint32_t state = seed * 2654435761u + 1;
    while (!data.empty()) {
        state = state * 1103515245u + 12345u;
        const std::size_t n = 1 + (state >> 16) % max_piece;
        out.push_back(data.substr(0, n));
        data.remove_prefix(out.back().size());
    }
    return out;
}

}  // namespace qvt::fuzz
