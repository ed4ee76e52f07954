#include "core/terminal/screen_side.h"

namespace qvt::terminal {

namespace {

// Runs a change on the screen and tells whether anything visible moved.
template <typename F>
bool changes(Screen& screen, F&& f) {
    const auto before = screen.generation();
    f();
    return screen.generation() != before;
}

}  // namespace

ScreenSide::ScreenSide() : screen_(80, 25) {}

void ScreenSide::set_Disp(const std::string& bytes) {
    if (changes(screen_, [&] { screen_.write(bytes); })) screen_changed();
}

std::string ScreenSide::Text() const {
    return screen_.text();
}

void ScreenSide::set_Text(const std::string& text) {
    screen_.set_text(text);
    screen_changed();
}

int ScreenSide::Columns() const {
    return screen_.columns();
}

void ScreenSide::set_Columns(int n) {
    if (changes(screen_, [&] { screen_.resize(n, screen_.rows()); })) screen_changed();
}

int ScreenSide::Rows() const {
    return screen_.rows();
}

void ScreenSide::set_Rows(int n) {
    if (changes(screen_, [&] { screen_.resize(screen_.columns(), n); })) screen_changed();
}

int ScreenSide::CursorRow() const {
    return screen_.cursor_row();
}

void ScreenSide::set_CursorRow(int row) {
    if (changes(screen_, [&] { screen_.set_cursor_row(row); })) screen_changed();
}

int ScreenSide::CursorColumn() const {
    return screen_.cursor_column();
}

void ScreenSide::set_CursorColumn(int column) {
    if (changes(screen_, [&] { screen_.set_cursor_column(column); })) screen_changed();
}

void ScreenSide::set_CursorType(int type) {
    if (type == cursor_type_) return;
    cursor_type_ = type;
    screen_changed();
}

void ScreenSide::set_Font(const std::string& family, int point_size) {
    font_family_ = family;
    font_size_ = point_size;
    screen_changed();
}

int ScreenSide::AutoScroll() const {
    return screen_.auto_scroll();
}

void ScreenSide::set_AutoScroll(int mode) {
    if (changes(screen_, [&] { screen_.set_auto_scroll(mode); })) screen_changed();
}

int ScreenSide::ScrollRows() const {
    return screen_.scroll_rows();
}

void ScreenSide::set_ScrollRows(int rows) {
    if (changes(screen_, [&] { screen_.set_scroll_rows(rows); })) screen_changed();
}

int ScreenSide::SelStart() const {
    return screen_.sel_start();
}

void ScreenSide::set_SelStart(int pos) {
    if (changes(screen_, [&] { screen_.set_sel_start(pos); })) screen_changed();
}

int ScreenSide::SelLength() const {
    return screen_.sel_length();
}

void ScreenSide::set_SelLength(int len) {
    if (changes(screen_, [&] { screen_.set_sel_length(len); })) screen_changed();
}

std::string ScreenSide::SelText() const {
    return screen_.sel_text();
}

void ScreenSide::Scroll(platform::ScrollRequest request) {
    const bool moved = changes(screen_, [&] {
        switch (request) {
            case platform::ScrollRequest::Top:
                screen_.set_view_top(1);
                break;
            case platform::ScrollRequest::LineUp:
                screen_.set_view_top(screen_.view_top() - 1);
                break;
            case platform::ScrollRequest::LineDown:
                screen_.set_view_top(screen_.view_top() + 1);
                break;
        }
    });
    if (moved) screen_changed();
}

void ScreenSide::set_Enabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    screen_changed();
}

}  // namespace qvt::terminal
