// The screen emulation on any bytes in any pieces: the cursor stays on the
// grid, no row's text is wider than the screen, a double-byte character is
// never split, and the pieces give the same screen as the whole.
#include "core/terminal/screen.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using qvt::terminal::CellKind;
using qvt::terminal::Screen;

void check_grid(const Screen& s) {
    QVT_FUZZ_CHECK(s.cursor_row() >= 1 && s.cursor_row() <= s.rows());
    QVT_FUZZ_CHECK(s.cursor_column() >= 1 && s.cursor_column() <= s.columns());
    QVT_FUZZ_CHECK(s.view_top() >= 1 && s.view_top() <= s.rows());
    for (int r = 1; r <= s.rows(); ++r) {
        for (int c = 1; c <= s.columns(); ++c) {
            const CellKind k = s.cell(r, c).kind;
            if (k == CellKind::Lead) {
                QVT_FUZZ_CHECK(c < s.columns() && s.cell(r, c + 1).kind == CellKind::Trail);
            } else if (k == CellKind::Trail) {
                QVT_FUZZ_CHECK(c > 1 && s.cell(r, c - 1).kind == CellKind::Lead);
            }
        }
    }
    const std::string text = s.text();
    std::size_t rows = 0;
    for (std::size_t at = 0; at < text.size(); ++rows) {
        const auto end = text.find("\r\n", at);
        QVT_FUZZ_CHECK(end != std::string::npos);
        QVT_FUZZ_CHECK(end - at <= static_cast<std::size_t>(s.columns()));
        at = end + 2;
    }
    QVT_FUZZ_CHECK(rows == static_cast<std::size_t>(s.rows()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    // Small grids reach the edges, wraps and scrolls with few bytes.
    const int columns = 1 + in.byte() % 40;
    const int rows = 1 + in.byte() % 12;
    const std::uint8_t seed = in.byte();
    const std::string_view bytes = in.rest();

    Screen whole(columns, rows);
    whole.write(bytes);
    check_grid(whole);

    Screen split(columns, rows);
    for (const auto piece : qvt::fuzz::pieces(bytes, seed, 16))
        split.write(piece);
    QVT_FUZZ_CHECK(split.text() == whole.text());
    QVT_FUZZ_CHECK(split.cursor_row() == whole.cursor_row());
    QVT_FUZZ_CHECK(split.cursor_column() == whole.cursor_column());

    // What the screen shows can be put back as it was.
    Screen copy(columns, rows);
    copy.set_text(whole.text());
    check_grid(copy);
    QVT_FUZZ_CHECK(copy.text() == whole.text());
    return 0;
}
