#include "core/terminal/screen.h"

#include <algorithm>
#include <array>

namespace qvt::terminal {

namespace {

enum class ByteClass : std::uint8_t { Plain, Lead, Control };

constexpr bool is_lead(unsigned c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool is_trail(unsigned c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

constexpr std::array<ByteClass, 256> make_classes() {
    std::array<ByteClass, 256> table{};
    for (unsigned c = 0; c < 256; ++c) {
        if (c < 0x20 || c == 0x7F) {
            table[c] = ByteClass::Control;
        } else if (is_lead(c)) {
            table[c] = ByteClass::Lead;
        } else {
            table[c] = ByteClass::Plain;
        }
    }
    return table;
}

constexpr std::array<ByteClass, 256> kClasses = make_classes();

ByteClass class_of(char c) {
    return kClasses[static_cast<unsigned char>(c)];
}

constexpr Cell kBlank{};
constexpr char kEsc = 0x1B;

}  // namespace

Screen::Screen(int columns, int rows)
    : columns_(std::clamp(columns, 1, kMaxColumns)), rows_(std::clamp(rows, 1, kMaxRows)) {
    cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), kBlank);
    used_.assign(static_cast<std::size_t>(rows_), 0);
    scroll_rows_ = std::min(scroll_rows_, rows_);
}

int Screen::storage_row(int row) const {
    const int storage = top_ + row - 1;
    return storage >= rows_ ? storage - rows_ : storage;
}

Cell* Screen::row_cells(int row) {
    return cells_.data() +
           static_cast<std::size_t>(storage_row(row)) * static_cast<std::size_t>(columns_);
}

const Cell* Screen::row_cells(int row) const {
    return cells_.data() +
           static_cast<std::size_t>(storage_row(row)) * static_cast<std::size_t>(columns_);
}

int Screen::trimmed_length(int row) const {
    const Cell* cells = row_cells(row);
    int n = used_[static_cast<std::size_t>(storage_row(row))];
    while (n > 0 && cells[n - 1].byte == ' ')
        --n;
    return n;
}

const Cell& Screen::cell(int row, int column) const {
    row = std::clamp(row, 1, rows_);
    column = std::clamp(column, 1, columns_);
    return row_cells(row)[column - 1];
}

// ---- input -----------------------------------------------------------------

void Screen::write(std::string_view bytes) {
    const int old_row = cursor_row_;
    const int old_column = cursor_column_;
    changed_ = false;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        if (pending_lead_ >= 0) {
            const char lead = static_cast<char>(pending_lead_);
            pending_lead_ = -1;
            if (is_trail(static_cast<unsigned char>(*p))) {
                put_double(lead, *p);
                ++p;
            } else {
                // Not a pair after all: show the lead alone, then take the
                // byte on its own.
                put_run(&lead, &lead + 1);
            }
            continue;
        }
        if (state_ != ParseState::Ground) {
            p = parse_escape(p, end);
            continue;
        }
        switch (class_of(*p)) {
            case ByteClass::Plain: {
                const char* run_end = p + 1;
                while (run_end < end && class_of(*run_end) == ByteClass::Plain)
                    ++run_end;
                put_run(p, run_end);
                p = run_end;
                break;
            }
            case ByteClass::Lead:
                pending_lead_ = static_cast<unsigned char>(*p);
                ++p;
                break;
            case ByteClass::Control:
                switch (*p) {
                    case '\r':
                        carriage_return();
                        break;
                    case '\n':
                        line_feed();
                        break;
                    case '\t':
                        move_cursor(cursor_row_, ((cursor_column_ - 1) / 8 + 1) * 8 + 1);
                        break;
                    case '\b':
                        move_cursor(cursor_row_, cursor_column_ - 1);
                        break;
                    case kEsc:
                        state_ = ParseState::Escape;
                        break;
                    default:
                        break;  // not shown
                }
                ++p;
                break;
        }
    }
    if (changed_ || cursor_row_ != old_row || cursor_column_ != old_column) {
        follow_cursor();
        ++generation_;
    }
}

// Consumes escape-sequence bytes until the sequence ends or a byte that cannot
// belong to it arrives; that byte is left for the ground state, so a broken
// sequence costs nothing but itself.
const char* Screen::parse_escape(const char* p, const char* end) {
    while (p < end && state_ != ParseState::Ground) {
        const auto c = static_cast<unsigned char>(*p);
        switch (state_) {
            case ParseState::Escape:
                if (c == '[') {
                    state_ = ParseState::Csi;
                    csi_bad_ = false;
                    param_count_ = 0;
                    std::fill(std::begin(params_), std::end(params_), 0);
                } else if (c >= 0x20 && c <= 0x2F) {
                    state_ = ParseState::EscapeIntermediate;
                } else if (c >= 0x30 && c <= 0x7E) {
                    state_ = ParseState::Ground;  // two-byte sequences: none needed
                } else {
                    state_ = ParseState::Ground;
                    return p;
                }
                break;
            case ParseState::EscapeIntermediate:
                if (c >= 0x30 && c <= 0x7E) {
                    state_ = ParseState::Ground;
                } else if (c < 0x20 || c > 0x2F) {
                    state_ = ParseState::Ground;
                    return p;
                }
                break;
            case ParseState::Csi:
                if (c >= '0' && c <= '9') {
                    if (param_count_ == 0) param_count_ = 1;
                    const int index = param_count_ - 1;
                    if (index < kMaxParams) {
                        params_[index] = std::min(params_[index] * 10 + (c - '0'), kMaxParamValue);
                    }
                } else if (c == ';') {
                    if (param_count_ == 0) param_count_ = 1;
                    if (param_count_ <= kMaxParams) ++param_count_;
                } else if (c >= 0x20 && c <= 0x3F) {
                    csi_bad_ = true;  // private markers, intermediates
                } else if (c >= 0x40 && c <= 0x7E) {
                    state_ = ParseState::Ground;
                    if (!csi_bad_) csi_dispatch(static_cast<char>(c));
                } else {
                    state_ = ParseState::Ground;
                    return p;
                }
                break;
            case ParseState::Ground:
                break;
        }
        ++p;
    }
    return p;
}

int Screen::param(int index, int fallback) const {
    if (index < std::min(param_count_, kMaxParams) && params_[index] != 0) return params_[index];
    return fallback;
}

void Screen::csi_dispatch(char final_byte) {
    switch (final_byte) {
        case 'A':
            move_cursor(cursor_row_ - param(0, 1), cursor_column_);
            break;
        case 'B':
            move_cursor(cursor_row_ + param(0, 1), cursor_column_);
            break;
        case 'C':
            move_cursor(cursor_row_, cursor_column_ + param(0, 1));
            break;
        case 'D':
            move_cursor(cursor_row_, cursor_column_ - param(0, 1));
            break;
        case 'H':
        case 'f':
            move_cursor(param(0, 1), param(1, 1));
            break;
        case 'J':
            wrap_pending_ = false;
            switch (param(0, 0)) {
                case 0:
                    erase_cells(cursor_row_, cursor_column_, columns_);
                    erase_rows(cursor_row_ + 1, rows_);
                    break;
                case 1:
                    erase_rows(1, cursor_row_ - 1);
                    erase_cells(cursor_row_, 1, cursor_column_);
                    break;
                case 2:
                    erase_rows(1, rows_);
                    break;
                default:
                    break;
            }
            break;
        case 'K':
            wrap_pending_ = false;
            switch (param(0, 0)) {
                case 0:
                    erase_cells(cursor_row_, cursor_column_, columns_);
                    break;
                case 1:
                    erase_cells(cursor_row_, 1, cursor_column_);
                    break;
                case 2:
                    erase_cells(cursor_row_, 1, columns_);
                    break;
                default:
                    break;
            }
            break;
        case 'm': {
            if (param_count_ == 0) reverse_ = false;
            const int n = std::min(param_count_, kMaxParams);
            for (int i = 0; i < n; ++i) {
                if (params_[i] == 0 || params_[i] == 27) reverse_ = false;
                if (params_[i] == 7) reverse_ = true;
            }
            break;
        }
        default:
            break;  // not needed by anything that writes to this screen
    }
}

// ---- grid operations ---------------------------------------------------------

void Screen::put_run(const char* p, const char* end) {
    while (p < end) {
        if (wrap_pending_) {
            carriage_return();
            line_feed();
        }
        Cell* cells = row_cells(cursor_row_);
        const int first = cursor_column_ - 1;
        const int n = static_cast<int>(std::min<std::ptrdiff_t>(end - p, columns_ - first));
        const int last = first + n - 1;
        // Only the ends of the run can cut a double-width pair.
        if (cells[first].kind == CellKind::Trail && first > 0) cells[first - 1] = kBlank;
        if (cells[last].kind == CellKind::Lead && last + 1 < columns_) cells[last + 1] = kBlank;
        const bool reverse = reverse_;
        for (int i = 0; i < n; ++i)
            cells[first + i] = Cell{p[i], CellKind::Single, reverse};
        int& used = row_used(cursor_row_);
        used = std::max(used, last + 1);
        p += n;
        cursor_column_ += n;
        if (cursor_column_ > columns_) {
            cursor_column_ = columns_;
            wrap_pending_ = true;
        }
        touch();
    }
}

void Screen::put_double(char lead, char trail) {
    if (columns_ < 2) return;  // can never be shown whole
    if (wrap_pending_) {
        carriage_return();
        line_feed();
    }
    if (cursor_column_ == columns_) {
        erase_cells(cursor_row_, columns_, columns_);
        carriage_return();
        line_feed();
    }
    Cell* cells = row_cells(cursor_row_);
    const int first = cursor_column_ - 1;
    if (cells[first].kind == CellKind::Trail && first > 0) cells[first - 1] = kBlank;
    if (cells[first + 1].kind == CellKind::Lead && first + 2 < columns_) cells[first + 2] = kBlank;
    cells[first] = Cell{lead, CellKind::Lead, reverse_};
    cells[first + 1] = Cell{trail, CellKind::Trail, reverse_};
    int& used = row_used(cursor_row_);
    used = std::max(used, first + 2);
    cursor_column_ += 2;
    if (cursor_column_ > columns_) {
        cursor_column_ = columns_;
        wrap_pending_ = true;
    }
    touch();
}

void Screen::erase_cells(int row, int from, int to) {
    from = std::max(from, 1);
    to = std::min(to, columns_);
    if (row < 1 || row > rows_ || from > to) return;
    int& used = row_used(row);
    if (from > used) return;  // all blank already
    Cell* cells = row_cells(row);
    if (cells[from - 1].kind == CellKind::Trail && from > 1) cells[from - 2] = kBlank;
    if (to < used && cells[to - 1].kind == CellKind::Lead) cells[to] = kBlank;
    std::fill(cells + (from - 1), cells + std::min(to, used), kBlank);
    if (to >= used) used = from - 1;
    touch();
}

void Screen::erase_rows(int from, int to) {
    from = std::max(from, 1);
    to = std::min(to, rows_);
    for (int row = from; row <= to; ++row) {
        int& used = row_used(row);
        if (used == 0) continue;
        Cell* cells = row_cells(row);
        std::fill(cells, cells + used, kBlank);
        used = 0;
        touch();
    }
}

void Screen::line_feed() {
    wrap_pending_ = false;
    if (cursor_row_ < rows_) {
        ++cursor_row_;
        return;
    }
    // The top row leaves the ring and its storage becomes the new last row.
    Cell* cells = row_cells(1);
    int& used = row_used(1);
    std::fill(cells, cells + used, kBlank);
    used = 0;
    top_ = top_ + 1 == rows_ ? 0 : top_ + 1;
    touch();
}

void Screen::carriage_return() {
    wrap_pending_ = false;
    cursor_column_ = 1;
}

void Screen::move_cursor(int row, int column) {
    wrap_pending_ = false;
    cursor_row_ = std::clamp(row, 1, rows_);
    cursor_column_ = std::clamp(column, 1, columns_);
}

}  // namespace qvt::terminal
