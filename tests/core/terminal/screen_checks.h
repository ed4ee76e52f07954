// Helpers shared by the screen tests: the grid as rows of text, and the
// structural invariants every input must leave intact.
#pragma once

#include <string>
#include <vector>

#include "core/terminal/screen.h"

namespace qvt::terminal {

// text() split into its rows (each row's CR LF removed).
inline std::vector<std::string> rows_of(const Screen& screen) {
    std::vector<std::string> rows;
    const std::string text = screen.text();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            rows.push_back(text.substr(pos) + "<missing CR LF>");
            break;
        }
        rows.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return rows;
}

// Empty when the screen is sound; otherwise what is wrong.
inline std::string check_invariants(const Screen& screen) {
    if (screen.cursor_row() < 1 || screen.cursor_row() > screen.rows()) return "cursor row";
    if (screen.cursor_column() < 1 || screen.cursor_column() > screen.columns()) {
        return "cursor column";
    }
    if (screen.view_top() < 1 || screen.view_top() + screen.scroll_rows() - 1 > screen.rows()) {
        return "view";
    }
    for (int row = 1; row <= screen.rows(); ++row) {
        for (int col = 1; col <= screen.columns(); ++col) {
            const CellKind kind = screen.cell(row, col).kind;
            const bool lead_ok =
                col < screen.columns() && screen.cell(row, col + 1).kind == CellKind::Trail;
            const bool trail_ok = col > 1 && screen.cell(row, col - 1).kind == CellKind::Lead;
            if (kind == CellKind::Lead && !lead_ok) {
                return "orphan lead at " + std::to_string(row) + "," + std::to_string(col);
            }
            if (kind == CellKind::Trail && !trail_ok) {
                return "orphan trail at " + std::to_string(row) + "," + std::to_string(col);
            }
        }
    }
    // text() must agree with the cells themselves (it takes shortcuts).
    std::string expected;
    for (int row = 1; row <= screen.rows(); ++row) {
        std::string line;
        for (int col = 1; col <= screen.columns(); ++col)
            line += screen.cell(row, col).byte;
        line.erase(line.find_last_not_of(' ') + 1);
        expected += line + "\r\n";
    }
    if (screen.text() != expected) return "text() differs from the cells";
    return "";
}

}  // namespace qvt::terminal
