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
//
// Wrapping is deferred, as on a VT100: a character written into the last
// column leaves the cursor on that column with a wrap pending, and only the
// next printable character moves to column 1 of the next row first. So a line
// of exactly Columns() characters followed by CR LF leaves no blank row, and
// the row the cursor is on is still the row just written. Any cursor movement
// (CR, LF, BS, TAB, escape sequences, the cursor setters) cancels the pending
// wrap.
//
// The rows are a ring: the grid is one block of cells with the first row at a
// moving offset, so a line feed on the last row (which drops the top row)
// costs one row of blanking, not a move of the whole grid. Each row also
// remembers how far it was ever written, so blanking, erasing and text() skip
// the blank tail. Runs of plain printable bytes bypass the parser and are
// copied cell by cell.
//
// The parser keeps its state between write() calls: an escape sequence or a
// Shift-JIS pair split across two writes is completed by the second. Control
// bytes other than CR, LF, TAB, BS and ESC, and DEL, are not shown. A lead
// byte followed by a byte that cannot be a trail byte is shown as a
// single-width cell, and the second byte is then taken on its own; a cursor
// setter called while a lead waits shows it the same way, where it arrived.
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
    // Sizes are clamped to 1..kMaxColumns and 1..kMaxRows.
    static constexpr int kMaxColumns = 1024;
    static constexpr int kMaxRows = 4096;

    Screen(int columns = 80, int rows = 25);

    // Interprets bytes: printable bytes, CR, LF, TAB, BS, ESC sequences.
    void write(std::string_view bytes);

    // Every row followed by CR LF, trailing blanks of each row removed.
    std::string text() const;
    // Clears the grid (set_Text with an empty text), cursor to 1,1. Also ends
    // reverse video, drops a half-read sequence and clears the selection.
    void clear();
    // Replaces the grid contents with text (rows split at CR LF / LF). A line
    // break after the last line adds no row, so set_text(text()) restores the
    // grid; escape sequences are not interpreted. The cursor ends after the
    // last character placed.
    void set_text(std::string_view text);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    void resize(int columns, int rows);  // keeps what fits

    int cursor_row() const { return cursor_row_; }        // 1-based
    int cursor_column() const { return cursor_column_; }  // 1-based
    void set_cursor_row(int row);                         // clamped to the grid
    void set_cursor_column(int column);
    // A character was written into the last column; the next one wraps first.
    bool wrap_pending() const { return wrap_pending_; }
    // Attribute given to characters written from now on (ESC "[7m" / "[0m").
    bool reverse() const { return reverse_; }

    const Cell& cell(int row, int column) const;  // 1-based, clamped to the grid

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
    // A trail cell maps to its lead; a column past the row's last non-blank
    // cell maps to the end of that row's text (just before its CR LF).
    int position_of(int row, int column) const;

    // Bumped on every visible change, so a view can repaint lazily.
    std::uint64_t generation() const { return generation_; }

  private:
    enum class ParseState : std::uint8_t { Ground, Escape, EscapeIntermediate, Csi };
    static constexpr int kMaxParams = 8;
    static constexpr int kMaxParamValue = 9999;

    int storage_row(int row) const;  // 1-based logical row -> index in the ring
    Cell* row_cells(int row);
    const Cell* row_cells(int row) const;
    int& row_used(int row) { return used_[static_cast<std::size_t>(storage_row(row))]; }
    int trimmed_length(int row) const;

    // Parser.
    const char* parse_escape(const char* p, const char* end);
    void csi_dispatch(char final_byte);
    int param(int index, int fallback) const;

    // Grid operations; all keep double-width pairs whole.
    void put_run(const char* p, const char* end);
    void put_double(char lead, char trail);
    void settle_lead();
    void put_text_line(std::string_view line);
    void erase_cells(int row, int from, int to);  // inclusive, clamped
    void erase_rows(int from, int to);            // inclusive
    void line_feed();
    void carriage_return();
    void move_cursor(int row, int column);
    void follow_cursor();
    void touch() { changed_ = true; }

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
    // Per storage row: every cell from this column index on is blank, so
    // erases and scrolls touch only what was ever written.
    std::vector<int> used_;
    int top_ = 0;  // storage row holding logical row 1
    bool wrap_pending_ = false;
    bool reverse_ = false;
    bool changed_ = false;

    ParseState state_ = ParseState::Ground;
    bool csi_bad_ = false;  // private marker or intermediate seen: drop it
    int param_count_ = 0;   // parameters started so far (may exceed kMaxParams)
    int params_[kMaxParams] = {};
    int pending_lead_ = -1;  // Shift-JIS lead byte waiting for its trail
};

}  // namespace qvt::terminal
