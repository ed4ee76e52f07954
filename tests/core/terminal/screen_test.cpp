#include "core/terminal/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/terminal/screen_checks.h"

namespace qvt::terminal {
namespace {

using Rows = std::vector<std::string>;

struct SequenceCase {
    const char* name;
    std::string input;
    Rows rows;  // leading rows; the rest must be empty
    int cursor_row;
    int cursor_column;
};

// A 10 x 4 screen makes every edge reachable with short inputs.
const std::vector<SequenceCase>& sequence_cases() {
    static const std::vector<SequenceCase> cases = {
        {"plain", "abc", {"abc"}, 1, 4},
        {"cr_lf", "abc\r\ndef", {"abc", "def"}, 2, 4},
        {"lf_keeps_column", "abc\ndef", {"abc", "   def"}, 2, 7},
        {"cr_overwrites", "abcdef\rX", {"Xbcdef"}, 1, 2},
        {"tab_stop", "a\tb", {"a       b"}, 1, 10},
        {"tab_not_past_last_column", "\t\t\tX", {"         X"}, 1, 10},
        {"bs_no_erase", "abc\b\bX", {"aXc"}, 1, 3},
        {"other_controls_hidden",
         "a\x01\x07\x7f\x1f\x0e"
         "b",
         {"ab"},
         1,
         3},
        {"clear_all_cursor_stays", "abc\r\ndef\x1b[2J", {}, 2, 4},
        {"erase_below", "abcdef\r\nghijkl\r\nmno\x1b[1;3H\x1b[J", {"ab"}, 1, 3},
        {"erase_line_right", "abcdef\x1b[3D\x1b[K", {"abc"}, 1, 4},
        {"erase_line_left_inclusive", "abcdef\x1b[3D\x1b[1K", {"    ef"}, 1, 4},
        {"erase_whole_line", "abc\r\nabcdef\x1b[2K", {"abc"}, 2, 7},
        {"up", "\r\n\r\n\x1b[AX", {"", "X"}, 2, 2},
        {"down_no_scroll", "a\x1b[9BX", {"a", "", "", " X"}, 4, 3},
        {"right_count", "\x1b[3CX", {"   X"}, 1, 5},
        {"left_count", "abc\x1b[2DX", {"aXc"}, 1, 3},
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
        {"sjis_pair",
         "\x82\xa0"
         "b",
         {"\x82\xa0"
          "b"},
         1,
         4},
        {"sjis_wraps_whole", "012345678\x82\xa0", {"012345678", "\x82\xa0"}, 2, 3},
        {"sjis_fills_last_two", "01234567\x82\xa0", {"01234567\x82\xa0"}, 1, 10},
        {"sjis_after_wrap_pending", "0123456789\x82\xa0", {"0123456789", "\x82\xa0"}, 2, 3},
        {"lead_then_cr_shows_lead", "\x82\rX", {"X"}, 1, 2},
        {"break_prompt", "\x1b[7m#?\x1b[0m\x1b[0K", {"#?"}, 1, 3},
    };
    return cases;
}

class SequenceTest : public testing::TestWithParam<SequenceCase> {};

void expect_case(const Screen& screen, const SequenceCase& c) {
    Rows expected = c.rows;
    expected.resize(static_cast<std::size_t>(screen.rows()));
    EXPECT_EQ(rows_of(screen), expected);
    EXPECT_EQ(screen.cursor_row(), c.cursor_row);
    EXPECT_EQ(screen.cursor_column(), c.cursor_column);
    EXPECT_EQ(check_invariants(screen), "");
}

TEST_P(SequenceTest, WholeWrite) {
    Screen screen(10, 4);
    screen.write(GetParam().input);
    expect_case(screen, GetParam());
}

// The parser's state survives between writes: every cut gives the same screen.
TEST_P(SequenceTest, SplitAtEveryByte) {
    const SequenceCase& c = GetParam();
    for (std::size_t cut = 1; cut < c.input.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        Screen screen(10, 4);
        screen.write(std::string_view(c.input).substr(0, cut));
        screen.write(std::string_view(c.input).substr(cut));
        expect_case(screen, c);
    }
}

INSTANTIATE_TEST_SUITE_P(Screen, SequenceTest, testing::ValuesIn(sequence_cases()),
                         [](const testing::TestParamInfo<SequenceCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(Screen, ReverseVideoAttribute) {
    Screen screen(10, 2);
    screen.write("a\x1b[7mb\x1b[0mc\x1b[7md\x1b[mE\x1b[1;7mF\x1b[27mG");
    const std::string flags = "FTFTFTF";
    for (int col = 1; col <= 7; ++col) {
        EXPECT_EQ(screen.cell(1, col).reverse, flags[col - 1] == 'T') << "column " << col;
    }
    EXPECT_EQ(screen.text(), "abcdEFG\r\n\r\n");
}

TEST(Screen, ReverseSurvivesSplitSequence) {
    Screen screen(10, 2);
    screen.write("\x1b[");
    screen.write("7");
    screen.write("mX");
    EXPECT_TRUE(screen.cell(1, 1).reverse);
}

struct DoubleByteCase {
    const char* name;
    std::string input;
    std::string row1;
};

// Overwriting or erasing either half of a pair blanks the other half.
TEST(Screen, OverwriteAndEraseKeepPairsWhole) {
    const std::string a = "\x82\xa0";
    const std::string b = "\x82\xa2";
    const std::vector<DoubleByteCase> cases = {
        {"single_over_trail", a + b + "\x1b[1;2HX", " X" + b},
        {"single_over_lead", a + b + "\x1b[1;3HX", a + "X"},
        {"run_over_both_ends", a + b + a + "\x1b[1;2HXY", " XY " + a},
        {"double_over_trail_and_lead", a + b + "\x1b[1;2H\x83\x40", " \x83\x40"},
        {"erase_right_from_trail", a + b + "ab\x1b[1;4H\x1b[0K", a},
        {"erase_left_to_lead", a + b + "ab\x1b[1;3H\x1b[1K", "    ab"},
        {"erase_below_from_trail", a + "\x1b[1;2H\x1b[J", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Screen screen(8, 2);
        screen.write(c.input);
        EXPECT_EQ(rows_of(screen)[0], c.row1);
        EXPECT_EQ(check_invariants(screen), "");
    }
}

TEST(Screen, PairCellKinds) {
    Screen screen(10, 2);
    screen.write("\x82\xa0\xb1\x82\x20");
    EXPECT_EQ(screen.cell(1, 1).kind, CellKind::Lead);
    EXPECT_EQ(screen.cell(1, 2).kind, CellKind::Trail);
    EXPECT_EQ(screen.cell(1, 3).kind, CellKind::Single);  // half-width katakana
    EXPECT_EQ(screen.cell(1, 4).kind, CellKind::Single);  // lead without a trail
    EXPECT_EQ(screen.cell(1, 4).byte, '\x82');
}

TEST(Screen, LeadAtEndOfWriteWaitsForTrail) {
    Screen screen(10, 2);
    screen.write("a\x82");
    EXPECT_EQ(screen.text(), "a\r\n\r\n");
    screen.write("\xa0");
    EXPECT_EQ(screen.text(), "a\x82\xa0\r\n\r\n");
    EXPECT_EQ(screen.cell(1, 2).kind, CellKind::Lead);
}

TEST(Screen, OneColumnScreenDropsPairs) {
    Screen screen(1, 2);
    screen.write("\x82\xa0xy");
    EXPECT_EQ(screen.text(), "x\r\ny\r\n");
}

TEST(Screen, TextHasCrLfAfterEveryRowAndTrimsBlanks) {
    Screen screen(6, 3);
    screen.write("a b   \r\n\x1b[7m   ");
    EXPECT_EQ(screen.text(), "a b\r\n\r\n\r\n");
}

TEST(Screen, SetTextEmptyClearsAndHomes) {
    Screen screen(6, 3);
    screen.write("abc\r\ndef\x1b[7m\x1b[");
    screen.set_text("");
    EXPECT_EQ(screen.text(), "\r\n\r\n\r\n");
    EXPECT_EQ(screen.cursor_row(), 1);
    EXPECT_EQ(screen.cursor_column(), 1);
    screen.write("Cx");  // the half-read sequence is gone, and reverse with it
    EXPECT_EQ(screen.text(), "Cx\r\n\r\n\r\n");
    EXPECT_FALSE(screen.cell(1, 1).reverse);
}

TEST(Screen, SetTextRoundTripsFullGrid) {
    Screen screen(6, 3);
    screen.write("ab\x82\xa0\r\n\r\n\x1b[7mxyz");
    const std::string text = screen.text();
    Screen copy(6, 3);
    copy.set_text(text);
    EXPECT_EQ(copy.text(), text);
    EXPECT_EQ(copy.cell(1, 3).kind, CellKind::Lead);
    Screen lf_only(6, 3);
    lf_only.set_text("ab\x82\xa0\n\nxyz");
    EXPECT_EQ(lf_only.text(), text);
    EXPECT_EQ(lf_only.cursor_row(), 3);
    EXPECT_EQ(lf_only.cursor_column(), 4);
}

TEST(Screen, SelectionIsSubstringOfText) {
    Screen screen(10, 4);
    screen.write("abc\r\ndefgh");
    ASSERT_EQ(screen.text(), "abc\r\ndefgh\r\n\r\n\r\n");
    struct Case {
        int start;
        int length;
        std::string selected;
    };
    for (const Case& c : std::vector<Case>{
             {5, 3, "def"}, {1, 6, "bc\r\nde"}, {13, 100, "\n\r\n"}, {100, 5, ""}, {-3, 2, "ab"}}) {
        screen.set_sel_start(c.start);
        screen.set_sel_length(c.length);
        EXPECT_EQ(screen.sel_text(), c.selected) << c.start << "+" << c.length;
    }
}

TEST(Screen, PositionOfMapsCellsToTextOffsets) {
    Screen screen(10, 4);
    screen.write("abc\r\nd\x82\xa0gh");
    struct Case {
        int row;
        int column;
        int position;
    };
    for (const Case& c : std::vector<Case>{{1, 1, 0},
                                           {1, 3, 2},
                                           {1, 9, 3},  // past the end: end of row 1
                                           {2, 1, 5},
                                           {2, 3, 6},  // trail maps to its lead
                                           {2, 10, 10},
                                           {3, 4, 12},
                                           {9, 99, 14}}) {  // clamped to the last cell
        EXPECT_EQ(screen.position_of(c.row, c.column), c.position) << c.row << "," << c.column;
    }
}

TEST(Screen, ViewFollowsCursorMinimally) {
    Screen screen(10, 20);
    screen.set_scroll_rows(5);
    screen.set_auto_scroll(3);
    screen.write("1\r\n2\r\n3\r\n4\r\n5");
    EXPECT_EQ(screen.view_top(), 1);
    screen.write("\r\n6\r\n7\r\n8");
    EXPECT_EQ(screen.view_top(), 4);  // cursor row 8 is the last row shown
    screen.set_cursor_row(2);
    EXPECT_EQ(screen.view_top(), 2);
    screen.write("\x1b[20H");
    EXPECT_EQ(screen.view_top(), 16);
    screen.write("\r\nx\r\ny");  // the grid scrolls; the view stays at the bottom
    EXPECT_EQ(screen.view_top(), 16);
}

TEST(Screen, ViewStaysWithoutAutoScroll) {
    Screen screen(10, 20);
    screen.set_scroll_rows(5);
    screen.set_auto_scroll(0);
    screen.write("\x1b[15Hx");
    EXPECT_EQ(screen.view_top(), 1);
    screen.set_view_top(99);
    EXPECT_EQ(screen.view_top(), 16);
    screen.set_view_top(-4);
    EXPECT_EQ(screen.view_top(), 1);
    screen.set_auto_scroll(3);  // switching on brings the cursor into view
    EXPECT_EQ(screen.view_top(), 11);
}

TEST(Screen, GenerationCountsVisibleChangesOnly) {
    Screen screen(10, 4);
    auto g = screen.generation();
    screen.write("");
    screen.write("\x1b[7m");
    screen.write("\x1b[1;1H");
    EXPECT_EQ(screen.generation(), g);
    screen.write("a");
    EXPECT_GT(screen.generation(), g);
    g = screen.generation();
    screen.write("\r");
    EXPECT_GT(screen.generation(), g);
    g = screen.generation();
    screen.set_sel_length(3);
    EXPECT_GT(screen.generation(), g);
}

// Many more lines than rows: the ring of rows must keep the logical order,
// also through a resize.
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
}

TEST(Screen, ResizeDropsPairCutByNewEdge) {
    Screen screen(6, 2);
    screen.write("abcd\x82\xa0");
    screen.resize(5, 2);
    EXPECT_EQ(screen.text(), "abcd\r\n\r\n");
    EXPECT_EQ(check_invariants(screen), "");
}

}  // namespace
}  // namespace qvt::terminal
