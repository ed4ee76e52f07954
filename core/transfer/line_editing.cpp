#include "core/transfer/line_editing.h"

#include <climits>
#include <string_view>

#include "core/transfer/qfile.h"

namespace qvt::transfer {

namespace {

constexpr const char* kLineBreak = "\r\n";

bool digit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t leading_digits(std::string_view s) {
    std::size_t k = 0;
    while (k < s.size() && digit(s[k]))
        ++k;
    return k;
}

// Listed line numbers are small; a longer run of digits saturates rather
// than overflowing.
int decimal_prefix(std::string_view s) {
    long long n = 0;
    for (std::size_t i = 0; i < leading_digits(s); ++i)
        n = std::min<long long>(n * 10 + (s[i] - '0'), INT_MAX);
    return static_cast<int>(n);
}

std::string statement_of(const std::string& line) {
    const std::string t = trim_blank(line);
    const std::size_t k = leading_digits(t);
    if (k == 0 || k == t.size()) return line;
    std::string out(k, ' ');
    if (line.size() > k) out += line.substr(k);
    const std::size_t tab = out.find("        ");
    // Built anew rather than with replace(), which GCC 12 at -O2 and above
    // mistakes for an overlapping copy.
    if (tab != std::string::npos) out = out.substr(0, tab) + " " + out.substr(tab + 8);
    if (!out.empty() && out.front() == ' ') out.erase(0, 1);
    return out;
}

}  // namespace

std::string without_step_numbers(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(kLineBreak, start);
        if (end == std::string::npos) {
            out += statement_of(text.substr(start));
            break;
        }
        out += statement_of(text.substr(start, end - start)) + kLineBreak;
        start = end + 2;
    }
    return out;
}

std::string LineEditing::row(int r) {
    std::string text;
    d_.dialogue.GetLineStr(r, text);
    return text;
}

int LineEditing::row_number(int r) {
    const std::string text = row(r);
    std::string_view s = text;
    while (!s.empty() && s.front() == '#')
        s.remove_prefix(1);
    return decimal_prefix(trim_blank(s));
}

std::string LineEditing::rows_from(int first) const {
    const std::string text = d_.term.Text();
    std::size_t start = 0;
    for (int r = 1; r < first && start != std::string::npos; ++r) {
        start = text.find(kLineBreak, start);
        if (start != std::string::npos) start += 2;
    }
    if (start == std::string::npos || start >= text.size()) return {};
    std::string rest = text.substr(start);
    if (rest.ends_with(kLineBreak)) rest.resize(rest.size() - 2);
    return rest;
}

void LineEditing::Copy_to_Clipboard(int without_numbers) {
    if (d_.term.SelLength() == 0) return;
    const std::string selected = d_.term.SelText();
    std::string scratch;
    std::size_t start = 0;
    for (std::size_t cr = selected.find('\r'); cr != std::string::npos;
         cr = selected.find('\r', start)) {
        std::string_view piece(selected.data() + start, cr - start);
        while (!piece.empty() && piece.back() == ' ')
            piece.remove_suffix(1);
        scratch.append(piece).append(kLineBreak);
        start = cr + 1;
        if (start < selected.size() && selected[start] == '\n') ++start;
    }
    scratch += selected.substr(start);
    if (without_numbers == 1) scratch = without_step_numbers(scratch);
    d_.shell.clear_memo();
    d_.shell.append_memo(scratch);
    clipboard_.set_text(scratch);
    d_.term.set_SelLength(0);
}

void LineEditing::Paste_from_Clipboard() {
    d_.term.set_Disp(clipboard_.text());
}

void LineEditing::Lineins(int blank_line) {
    auto& term = d_.term;
    if (term.CursorRow() == 1) return;
    term.set_AutoScroll(0);
    term.set_CursorColumn(1);
    const int r = term.CursorRow();
    const std::string below = rows_from(r);
    const int a = row_number(r - 1);
    const int b = row_number(r);
    const int middle = a + (b - a) / 2;

    term.set_CursorColumn(1);
    term.set_Disp(std::string("\x1b[J") + kLineBreak);
    // Input is held off while the old rows are written back one row lower.
    term.set_Enabled(false);
    term.set_Disp(below);
    term.set_Enabled(true);
    term.SetFocus();

    term.set_CursorRow(r);
    term.set_CursorColumn(1);
    // A non-empty row r means the screen scrolled: the opened row is above.
    if (!row(r).empty()) term.set_CursorRow(r - 1);
    const int at = term.CursorRow();
    if (at > 1 && row(at - 1).empty()) term.set_CursorRow(at - 1);

    if (blank_line == 0 && a != 0 && b != 0 && b > a + 1) {
        term.set_Disp(std::to_string(middle) + "\t");
    }
    term.set_AutoScroll(3);
}

void LineEditing::Linedel() {
    auto& term = d_.term;
    d_.shell.termmode_menu_disable();
    term.set_AutoScroll(0);
    const int r = term.CursorRow();
    const std::string below = rows_from(r + 1);
    const int n = row_number(r);

    term.set_CursorColumn(1);
    term.set_Disp("\x1b[0J");
    term.set_CursorRow(r);
    term.set_Disp(below);
    term.set_CursorRow(r);
    term.set_CursorColumn(1);

    if (n != 0) {
        // The controller deletes a line when it is sent its number alone.
        term.set_Output(std::to_string(n) + "\r");
        link::TransferModeGuard taken(d_.state);
        d_.dialogue.CommOutBufferWiatZero();
        d_.dialogue.Wait_Prompt();
    }
    term.set_AutoScroll(3);
    d_.shell.termmode_menu_enable();
}

}  // namespace qvt::transfer
