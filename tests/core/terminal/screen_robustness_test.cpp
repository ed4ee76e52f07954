// Random bytes weighted toward what breaks parsers: escape sequences cut
// anywhere, Shift-JIS halves, edge columns. Deterministic, so a failure
// repeats.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "core/terminal/screen.h"
#include "tests/core/terminal/screen_checks.h"

namespace qvt::terminal {
namespace {

std::string random_chunk(std::mt19937& rng, std::size_t size) {
    static const std::string pieces[] = {
        "\x1b",    "\x1b[",   "[",           ";",        "0",        "1",       "7",
        "9",       "m",       "K",           "J",        "A",        "B",       "C",
        "D",       "H",       "?",           "\r",       "\n",       "\r\n",    "\t",
        "\b",      "\x82",    "\x82\xa0",    "\xe0\x40", "\x81\x7f", "\xfc",    "\xb1",
        "ab",      "#?",      "\x1b[2J",     "\x1b[0K",  "\x1b[1K",  "\x1b[7m", "\x1b[m",
        "\x1b[3C", "\x1b[;H", "\x1b[99;149H"};
    constexpr std::size_t kPieces = sizeof(pieces) / sizeof(pieces[0]);
    std::uniform_int_distribution<std::size_t> pick(0, kPieces + 7);
    std::uniform_int_distribution<int> any_byte(0, 255);
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const std::size_t p = pick(rng);
        if (p < kPieces) {
            out += pieces[p];
        } else {
            out.push_back(static_cast<char>(any_byte(rng)));
        }
    }
    return out;
}

void feed_and_check(Screen& screen, std::uint32_t seed, std::size_t total) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> chunk_size(1, 4096);
    std::uniform_int_distribution<int> coin(0, 63);
    std::size_t fed = 0;
    while (fed < total) {
        const std::string chunk = random_chunk(rng, chunk_size(rng));
        screen.write(chunk);
        fed += chunk.size();
        // Now and then the system's own calls cut in between writes.
        const int call = coin(rng);
        if (call == 0) screen.set_cursor_row(coin(rng) * 5 - 20);
        if (call == 1) screen.set_cursor_column(coin(rng) * 3 - 10);
        if (call == 2) {
            screen.set_sel_start(coin(rng) * 97);
            screen.set_sel_length(coin(rng) * 31);
            (void)screen.sel_text();
        }
        if (call == 3) (void)screen.position_of(coin(rng) - 5, coin(rng) * 3);
        if (call == 4) screen.set_view_top(coin(rng) * 4 - 8);
        const std::string problem = check_invariants(screen);
        ASSERT_EQ(problem, "") << "after " << fed << " bytes";
    }
    const std::string text = screen.text();
    std::size_t lines = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        lines += text[i] == '\r' && text[i + 1] == '\n';
    EXPECT_EQ(lines, static_cast<std::size_t>(screen.rows()));
}

TEST(ScreenRobustness, RandomBytesSmallOddGrid) {
    Screen screen(17, 9);
    screen.set_scroll_rows(4);
    feed_and_check(screen, 12345, 3u << 20);
}

}  // namespace
}  // namespace qvt::terminal
