// The screen emulation behind the terminal control: bytes in, cells out.
//
// How it works: write() feeds the bytes the controller sends (or the system
// shows) through a small VT100-style parser into a grid of cells. Each cell
// holds one byte; a Shift-JIS double-byte character occupies two neighbouring
// cells (lead byte, then trail byte) and is never split: a write that would
// start it in the last column wraps it whole, and an erase or overwrite that
// touches either half blanks both. No I/O and no allocation per byte once the
// grid is sized; any input of any length is safe (unknown sequences are
// dropped).
//
// Coordinates are 1-based (row, column) as the control's users see them. The
// grid has Rows() rows; a view of ScrollRows() rows looks at part of it,
// starting at view_top(). With AutoScroll on, the view follows the cursor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvt::terminal {

enum class CellKind : std::uint8_t { Single, Lead, Trail };

struct Cell {
    char byte = ' ';
    CellKind kind = CellKind::Single;
    bool reverse = false;
    friend bool operator==(const Cell&, const Cell&) = default;
};

class Screen {
public:
    Screen(int columns = 80, int rows = 25);

    // Interprets bytes: printable bytes, CR, LF, TAB, BS, ESC sequences.
    void write(std::string_view bytes);

    // Every row followed by CR LF, trailing blanks of each row removed.
    std::string text() const;
    // Clears the grid (set_Text with an empty text), cursor to 1,1.
    void clear();
    // Replaces the grid contents with text (rows split at CR LF / LF).
    void set_text(std::string_view text);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    void resize(int columns, int rows);  // keeps what fits

    int cursor_row() const { return cursor_row_; }        // 1-based
    int cursor_column() const { return cursor_column_; }  // 1-based
    void set_cursor_row(int row);                         // clamped to the grid
    void set_cursor_column(int column);

    const Cell& cell(int row, int column) const;  // 1-based, unchecked beyond asserts

    // View over the grid.
    int scroll_rows() const { return scroll_rows_; }
    void set_scroll_rows(int n);
    int view_top() const { return view_top_; }  // 1-based first row shown
    void set_view_top(int row);                 // clamped
    int auto_scroll() const { return auto_scroll_; }
    void set_auto_scroll(int mode);  // 0: view stays; non-zero: view follows cursor

    // Selection as linear positions into text().
    int sel_start() const { return sel_start_; }
    int sel_length() const { return sel_length_; }
    void set_sel_start(int pos);
    void set_sel_length(int len);
    std::string sel_text() const;
    // Linear position in text() of the cell (row, column), for mouse selection.
    int position_of(int row, int column) const;

    // Bumped on every visible change, so a view can repaint lazily.
    std::uint64_t generation() const { return generation_; }

private:
    // Implementation details are the terminal module's own.
    int columns_;
    int rows_;
    int cursor_row_ = 1;
    int cursor_column_ = 1;
    int scroll_rows_ = 25;
    int view_top_ = 1;
    int auto_scroll_ = 3;
    int sel_start_ = 0;
    int sel_length_ = 0;
    std::uint64_t generation_ = 0;
    std::vector<Cell> cells_;
};

}  // namespace qvt::terminal
