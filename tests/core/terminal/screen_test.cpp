#include "core/terminal/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/terminal/control_base.h"

namespace qvt::terminal {
namespace {

using Rows = std::vector<std::string>;

// The screen's text split into its rows.
Rows rows_of(const Screen& screen) {
    Rows rows;
    const std::string text = screen.text();
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        rows.push_back(text.substr(at, end - at));
    return rows;
}

struct SequenceCase {
    const char* name;
    std::string input;
    Rows rows;  // leading rows; the rest must be empty
    int cursor_row, cursor_column;
};

const std::string kA = "\x82\xa0";  // two double-byte characters
const std::string kB = "\x82\xa2";

// A 10 x 4 screen makes every edge reachable with short inputs.
const std::vector<SequenceCase> kSequences = {
    {"lf_keeps_column", "abc\ndef", {"abc", "   def"}, 2, 7},
    {"tab_stop", "a\tb", {"a       b"}, 1, 10},
    {"tab_not_past_last_column", "\t\t\tX", {"         X"}, 1, 10},
    {"bs_no_erase", "abc\b\bX", {"aXc"}, 1, 3},
    {"other_controls_hidden", "a\x01\x07\x7f\x1f\016b", {"ab"}, 1, 3},
    {"clear_all_cursor_stays", "abc\r\ndef\x1b[2J", {}, 2, 4},
    {"erase_below", "abcdef\r\nghijkl\r\nmno\x1b[1;3H\x1b[J", {"ab"}, 1, 3},
    {"erase_line_right", "abcdef\x1b[3D\x1b[K", {"abc"}, 1, 4},
    {"erase_line_left_inclusive", "abcdef\x1b[3D\x1b[1K", {"    ef"}, 1, 4},
    {"erase_whole_line", "abc\r\nabcdef\x1b[2K", {"abc"}, 2, 7},
    {"up", "\r\n\r\n\x1b[AX", {"", "X"}, 2, 2},
    {"down_no_scroll", "a\x1b[9BX", {"a", "", "", " X"}, 4, 3},
    {"right_count", "\x1b[3CX", {"   X"}, 1, 5},
    {"position", "\x1b[3;5HX", {"", "", "    X"}, 3, 6},
    {"position_home", "abc\r\ndef\x1b[HX", {"Xbc", "def"}, 1, 2},
    {"position_clamped", "\x1b[99;99H", {}, 4, 10},
    {"deferred_wrap_full_row", "0123456789", {"0123456789"}, 1, 10},
    {"wrap_next_char", "0123456789A", {"0123456789", "A"}, 2, 2},
    {"full_row_then_crlf_no_blank_row", "0123456789\r\nX", {"0123456789", "X"}, 2, 2},
    {"bs_cancels_wrap", "0123456789\bX", {"01234567X9"}, 1, 10},
    {"scroll_on_lf", "1\r\n2\r\n3\r\n4\r\n5", {"2", "3", "4", "5"}, 4, 2},
    {"scroll_on_wrap", "\x1b[4;1H0123456789Z", {"", "", "0123456789", "Z"}, 4, 2},
    {"private_sequence_dropped", "a\x1b[?25lb", {"ab"}, 1, 3},
    {"unknown_final_dropped", "a\x1b[1;2;3;4;5;6;7;8;9;10;11;12Xb", {"ab"}, 1, 3},
    {"huge_count_clamped", "a\x1b[12345678901234567890Cb", {"a        b"}, 1, 10},
    {"esc_restarts_sequence", "a\x1b\x1b[Cb", {"a b"}, 1, 4},
    {"control_aborts_sequence", "abc\x1b[3\rX", {"Xbc"}, 1, 2},
    {"high_byte_aborts_sequence", "a\x1b[\xb1", {"a\xb1"}, 1, 3},
    {"sjis_pair", "b" + kA, {"b" + kA}, 1, 4},
    {"sjis_wraps_whole", "012345678" + kA, {"012345678", kA}, 2, 3},
    {"sjis_fills_last_two", "01234567" + kA, {"01234567" + kA}, 1, 10},
    {"sjis_after_wrap_pending", "0123456789" + kA, {"0123456789", kA}, 2, 3},
    {"lead_then_cr_shows_lead", "\x82\rX", {"X"}, 1, 2},
    {"break_prompt", "\x1b[7m#?\x1b[0m\x1b[0K", {"#?"}, 1, 3},
    // Overwriting or erasing either half of a pair blanks the other half.
    {"single_over_trail", kA + kB + "\x1b[1;2HX", {" X" + kB}, 1, 3},
    {"single_over_lead", kA + kB + "\x1b[1;3HX", {kA + "X"}, 1, 4},
    {"run_over_both_ends", kA + kB + kA + "\x1b[1;2HXY", {" XY " + kA}, 1, 4},
    {"double_over_trail_and_lead", kA + kB + "\x1b[1;2H\x83\x40", {" \x83\x40"}, 1, 4},
    {"erase_right_from_trail", kA + kB + "ab\x1b[1;4H\x1b[0K", {kA}, 1, 4},
    {"erase_left_to_lead", kA + kB + "ab\x1b[1;3H\x1b[1K", {"    ab"}, 1, 3},
    {"erase_below_from_trail", kA + "\x1b[1;2H\x1b[J", {}, 1, 2},
};

// (That writes in pieces give the same screen, and that no input breaks the
// grid, the screen fuzzing harness checks on any bytes.)
TEST(Screen, SequencesGiveTheRowsAndTheCursor) {
    for (const SequenceCase& c : kSequences) {
        SCOPED_TRACE(c.name);
        Rows expected = c.rows;
        expected.resize(4);
        Screen screen(10, 4);
        screen.write(c.input);
        EXPECT_EQ(rows_of(screen), expected);
        EXPECT_EQ(screen.cursor_row(), c.cursor_row);
        EXPECT_EQ(screen.cursor_column(), c.cursor_column);
    }
}

TEST(Screen, ReverseVideoAndPairCellKinds) {
    Screen screen(10, 2);
    screen.write("a\x1b[7mb\x1b[0mc\x1b[7md\x1b[mE\x1b[1;7mF\x1b[27mG");
    const std::string flags = "FTFTFTF";
    for (int col = 1; col <= 7; ++col)
        EXPECT_EQ(screen.cell(1, col).reverse, flags[col - 1] == 'T') << "column " << col;
    EXPECT_EQ(screen.text(), "abcdEFG\r\n\r\n");

    screen.write("\x1b[2;1H\x82\xa0\xb1\x82\x20");
    EXPECT_EQ(screen.cell(2, 1).kind, CellKind::Lead);
    EXPECT_EQ(screen.cell(2, 2).kind, CellKind::Trail);
    EXPECT_EQ(screen.cell(2, 3).kind, CellKind::Single);  // half-width katakana
    EXPECT_EQ(screen.cell(2, 4).kind, CellKind::Single);  // lead without a trail
    EXPECT_EQ(screen.cell(2, 4).byte, '\x82');
    Screen narrow(1, 2);  // no room for a pair: dropped
    narrow.write("\x82\xa0xy");
    EXPECT_EQ(narrow.text(), "x\r\ny\r\n");
}

TEST(Screen, SetText) {
    Screen screen(6, 3);
    screen.write("ab\x82\xa0\r\n\r\n\x1b[7mxyz");
    const std::string text = screen.text();
    Screen lf_only(6, 3);  // the grid comes back from its text
    lf_only.set_text("ab\x82\xa0\n\nxyz");
    EXPECT_EQ(lf_only.text(), text);
    EXPECT_EQ(lf_only.cell(1, 3).kind, CellKind::Lead);
    EXPECT_EQ(lf_only.cursor_row(), 3);
    EXPECT_EQ(lf_only.cursor_column(), 4);

    screen.write("\x1b[");
    screen.set_text("");  // clears, homes, and drops the half-read sequence and reverse
    EXPECT_EQ(screen.cursor_row(), 1);
    EXPECT_EQ(screen.cursor_column(), 1);
    screen.write("Cx");
    EXPECT_EQ(screen.text(), "Cx\r\n\r\n\r\n");
    EXPECT_FALSE(screen.cell(1, 1).reverse);
}

TEST(Screen, SelectionAndPositionsAreOffsetsInTheText) {
    Screen screen(10, 4);
    screen.write("abc\r\nd\x82\xa0gh");
    ASSERT_EQ(screen.text(), "abc\r\nd\x82\xa0gh\r\n\r\n\r\n");
    struct Sel {
        int start, length;
        std::string selected;
    };
    for (const Sel& c : std::vector<Sel>{{5, 3, "d\x82\xa0"},
                                         {1, 5, "bc\r\nd"},
                                         {13, 100, "\n\r\n"},
                                         {100, 5, ""},
                                         {-3, 2, "ab"}}) {
        screen.set_sel_start(c.start);
        screen.set_sel_length(c.length);
        EXPECT_EQ(screen.sel_text(), c.selected) << c.start << "+" << c.length;
    }
    // Past the end of a row: its end; a trail: its lead; off the grid: the last cell.
    struct Pos {
        int row, column, position;
    };
    for (const Pos& c : std::vector<Pos>{
             {1, 1, 0}, {1, 9, 3}, {2, 1, 5}, {2, 3, 6}, {2, 10, 10}, {3, 4, 12}, {9, 99, 14}})
        EXPECT_EQ(screen.position_of(c.row, c.column), c.position) << c.row << "," << c.column;
}

TEST(Screen, ViewFollowsTheCursorOnlyWithAutoScroll) {
    Screen screen(10, 20);
    screen.set_scroll_rows(5);
    screen.set_auto_scroll(3);
    screen.write("1\r\n2\r\n3\r\n4\r\n5");
    EXPECT_EQ(screen.view_top(), 1);
    screen.write("\r\n6\r\n7\r\n8");
    EXPECT_EQ(screen.view_top(), 4);  // cursor row 8 is the last row shown
    screen.set_cursor_row(2);
    EXPECT_EQ(screen.view_top(), 2);
    screen.set_cursor_row(-20);  // the system's setters stay on the grid
    screen.set_cursor_column(999);
    EXPECT_EQ(screen.cursor_row(), 1);
    EXPECT_EQ(screen.cursor_column(), 10);
    screen.write("\x1b[20H\r\nx\r\ny");  // the grid scrolls; the view stays at the bottom
    EXPECT_EQ(screen.view_top(), 16);

    screen.set_auto_scroll(0);
    screen.write("\x1b[5Hx");
    EXPECT_EQ(screen.view_top(), 16);
    screen.set_view_top(-4);
    EXPECT_EQ(screen.view_top(), 1);
    screen.set_view_top(99);
    EXPECT_EQ(screen.view_top(), 16);
    screen.set_auto_scroll(3);  // switching on brings the cursor into view
    EXPECT_EQ(screen.view_top(), 5);
}

// Many more lines than rows: the ring of rows must keep the logical order,
// also through a resize, which drops a pair cut by the new edge.
TEST(Screen, LongScrollKeepsRowOrder) {
    Screen screen(150, 200);
    for (int i = 1; i <= 457; ++i)
        screen.write(std::to_string(i) + "\r\n");
    EXPECT_EQ(screen.cursor_row(), 200);
    const Rows rows = rows_of(screen);
    EXPECT_EQ(rows[0], "259");
    EXPECT_EQ(rows[198], "457");
    EXPECT_EQ(rows[199], "");
    screen.resize(20, 10);
    EXPECT_EQ(rows_of(screen)[0], "259");
    EXPECT_EQ(screen.cursor_row(), 10);
    screen.write("\x1b[10;1Hend");
    EXPECT_EQ(rows_of(screen)[9], "end");

    Screen cut(6, 2);
    cut.write("abcd\x82\xa0");
    cut.resize(5, 2);
    EXPECT_EQ(cut.text(), "abcd\r\n\r\n");
}

// The serial side is not under test here: a port that is never open.
class RecordingSide : public ControlBase {
  public:
    bool PortOpen() const override { return false; }
    void set_PortOpen(bool) override {}
    std::string Input() override { return ""; }
    void set_Output(const std::string&) override {}
    int InBufferCount() const override { return 0; }
    void set_InBufferCount(int) override {}
    int OutBufferCount() const override { return 0; }
    void set_OutBufferCount(int) override {}
    int CommEvent() const override { return 0; }

    int changes = 0;

  protected:
    void screen_changed() override { ++changes; }
};

// Only what changes the screen is told (the screen's generation says what
// did); the scroll requests move the view a line or to the top, none past it.
TEST(ScreenSide, NotifiesOnlyVisibleChangesAndScrollsTheView) {
    RecordingSide side;
    side.set_Disp("abc");
    side.set_Disp("");
    side.set_Disp("\x1b[7m\x1b[1;4H");
    side.set_CursorColumn(4);  // already there
    side.set_CursorType(1);
    EXPECT_EQ(side.changes, 1);
    side.set_Disp("\r");
    side.set_SelLength(3);
    side.set_CursorRow(3);
    side.set_Font("MS Gothic", 12);
    side.set_Enabled(false);
    EXPECT_EQ(side.changes, 6);

    side.set_Rows(200);
    side.set_ScrollRows(30);
    side.Scroll(platform::ScrollRequest::LineDown);
    side.Scroll(platform::ScrollRequest::LineDown);
    side.Scroll(platform::ScrollRequest::LineUp);
    EXPECT_EQ(side.screen().view_top(), 2);
    side.Scroll(platform::ScrollRequest::Top);
    EXPECT_EQ(side.screen().view_top(), 1);
    const int changes = side.changes;
    side.Scroll(platform::ScrollRequest::LineUp);
    EXPECT_EQ(side.screen().view_top(), 1);
    EXPECT_EQ(side.changes, changes);
}

}  // namespace
}  // namespace qvt::terminal
