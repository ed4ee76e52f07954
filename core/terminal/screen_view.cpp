// The parts of Screen that are not byte interpretation: the grid as text,
// sizing, the cursor setters, the view and the selection.
#include <algorithm>

#include "core/terminal/screen.h"

namespace qvt::terminal {

std::string Screen::text() const {
    std::string out;
    out.reserve(static_cast<std::size_t>(rows_) * 16);
    for (int row = 1; row <= rows_; ++row) {
        const Cell* cells = row_cells(row);
        const int n = trimmed_length(row);
        for (int i = 0; i < n; ++i)
            out.push_back(cells[i].byte);
        out += "\r\n";
    }
    return out;
}

void Screen::clear() {
    std::fill(cells_.begin(), cells_.end(), Cell{});
    std::fill(used_.begin(), used_.end(), 0);
    top_ = 0;
    cursor_row_ = 1;
    cursor_column_ = 1;
    wrap_pending_ = false;
    reverse_ = false;
    state_ = ParseState::Ground;
    pending_lead_ = -1;
    sel_start_ = 0;
    sel_length_ = 0;
    follow_cursor();
    ++generation_;
}

void Screen::set_text(std::string_view text) {
    clear();
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        const std::size_t newline = text.find('\n', pos);
        const std::size_t line_end = newline == std::string_view::npos ? text.size() : newline;
        std::string_view line = text.substr(pos, line_end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!first) {
            carriage_return();
            line_feed();
        }
        first = false;
        put_text_line(line);
        if (newline == std::string_view::npos) break;
        pos = newline + 1;
    }
    follow_cursor();
    ++generation_;
}

// Places one line's bytes without the parser: pairs are taken within the line,
// TAB moves to its stop, other control bytes are left out.
void Screen::put_text_line(std::string_view line) {
    auto is_lead = [](unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
    auto is_trail = [](unsigned c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == '\t') {
            move_cursor(cursor_row_, ((cursor_column_ - 1) / 8 + 1) * 8 + 1);
        } else if (c < 0x20 || c == 0x7F) {
            continue;
        } else if (is_lead(c) && i + 1 < line.size() &&
                   is_trail(static_cast<unsigned char>(line[i + 1]))) {
            put_double(line[i], line[i + 1]);
            ++i;
        } else {
            put_run(line.data() + i, line.data() + i + 1);
        }
    }
}

void Screen::resize(int columns, int rows) {
    columns = std::clamp(columns, 1, kMaxColumns);
    rows = std::clamp(rows, 1, kMaxRows);
    if (columns == columns_ && rows == rows_) return;
    std::vector<Cell> cells(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    std::vector<int> used(static_cast<std::size_t>(rows), 0);
    const int keep_rows = std::min(rows, rows_);
    const int keep_columns = std::min(columns, columns_);
    for (int row = 1; row <= keep_rows; ++row) {
        const Cell* from = row_cells(row);
        Cell* to =
            cells.data() + static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(columns);
        std::copy(from, from + keep_columns, to);
        // A pair cut by the new right edge loses its lead too.
        if (to[keep_columns - 1].kind == CellKind::Lead) to[keep_columns - 1] = Cell{};
        used[static_cast<std::size_t>(row - 1)] = std::min(row_used(row), keep_columns);
    }
    cells_ = std::move(cells);
    used_ = std::move(used);
    columns_ = columns;
    rows_ = rows;
    top_ = 0;
    move_cursor(cursor_row_, cursor_column_);
    scroll_rows_ = std::min(scroll_rows_, rows_);
    view_top_ = std::clamp(view_top_, 1, rows_ - scroll_rows_ + 1);
    follow_cursor();
    ++generation_;
}

// A lead byte still waiting for its trail belongs where it arrived: the
// cursor moved away from it ends the wait, and it is shown alone there, as
// before a byte that cannot be a trail, not in front of what comes next.
void Screen::settle_lead() {
    if (pending_lead_ < 0) return;
    const char lead = static_cast<char>(pending_lead_);
    pending_lead_ = -1;
    put_run(&lead, &lead + 1);
    ++generation_;
}

void Screen::set_cursor_row(int row) {
    settle_lead();
    const int old = cursor_row_;
    move_cursor(row, cursor_column_);
    if (cursor_row_ != old) {
        follow_cursor();
        ++generation_;
    }
}

void Screen::set_cursor_column(int column) {
    settle_lead();
    const int old = cursor_column_;
    move_cursor(cursor_row_, column);
    if (cursor_column_ != old) ++generation_;
}

// ---- view --------------------------------------------------------------------

void Screen::follow_cursor() {
    if (auto_scroll_ == 0) return;
    if (cursor_row_ < view_top_) {
        view_top_ = cursor_row_;
    } else if (cursor_row_ > view_top_ + scroll_rows_ - 1) {
        view_top_ = cursor_row_ - scroll_rows_ + 1;
    }
}

void Screen::set_scroll_rows(int n) {
    n = std::clamp(n, 1, rows_);
    if (n == scroll_rows_) return;
    scroll_rows_ = n;
    view_top_ = std::clamp(view_top_, 1, rows_ - scroll_rows_ + 1);
    follow_cursor();
    ++generation_;
}

void Screen::set_view_top(int row) {
    row = std::clamp(row, 1, rows_ - scroll_rows_ + 1);
    if (row == view_top_) return;
    view_top_ = row;
    ++generation_;
}

void Screen::set_auto_scroll(int mode) {
    auto_scroll_ = mode;
    const int old = view_top_;
    follow_cursor();
    if (view_top_ != old) ++generation_;
}

// ---- selection -----------------------------------------------------------------

void Screen::set_sel_start(int pos) {
    pos = std::max(pos, 0);
    if (pos == sel_start_) return;
    sel_start_ = pos;
    ++generation_;
}

void Screen::set_sel_length(int len) {
    len = std::max(len, 0);
    if (len == sel_length_) return;
    sel_length_ = len;
    ++generation_;
}

std::string Screen::sel_text() const {
    const std::string all = text();
    const std::size_t start = std::min(static_cast<std::size_t>(sel_start_), all.size());
    return all.substr(start, static_cast<std::size_t>(sel_length_));
}

int Screen::position_of(int row, int column) const {
    row = std::clamp(row, 1, rows_);
    column = std::clamp(column, 1, columns_);
    int offset = 0;
    for (int r = 1; r < row; ++r)
        offset += trimmed_length(r) + 2;
    int index = column - 1;
    if (index > 0 && row_cells(row)[index].kind == CellKind::Trail) --index;
    return offset + std::min(index, trimmed_length(row));
}

}  // namespace qvt::terminal
