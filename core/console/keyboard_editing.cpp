// The two editing tables of the terminal that do not select: Ctrl alone and
// the plain keys (no modifier, or a set the tables do not name).
#include "core/console/keyboard.h"
#include "core/console/virtual_keys.h"

namespace qvt::console {

void Keyboard::repeat_disp(const char* seq, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += seq;
    if (!out.empty()) disp(out);
}

void Keyboard::scroll_lines(platform::ScrollRequest dir, int times) {
    for (int i = 0; i < times; ++i)
        term_.Scroll(dir);
}

void Keyboard::ctrl_table(int key) {
    using platform::ScrollRequest;
    const int row = term_.CursorRow();
    switch (key) {
        case vk::kReturn:
            switch (shell_.current_page()) {
                case Page::TabSheet1:
                    shell_.focus_list_at_top(ListId::ListBox1);
                    break;
                case Page::TabSheet4:
                    shell_.set_focus(Focus::ListView1);
                    break;
                case Page::TabSheet3:
                    shell_.focus_list_at_top(ListId::ListBox2);
                    break;
                default:
                    break;
            }
            break;
        case vk::kPrior:
            if (row >= 2) scroll_lines(ScrollRequest::LineUp, 10);
            break;
        case vk::kNext:
            scroll_lines(ScrollRequest::LineDown, 10);
            break;
        case vk::kUp:
            if (row >= 2) scroll_lines(ScrollRequest::LineUp, 1);
            break;
        case vk::kDown:
            scroll_lines(ScrollRequest::LineDown, 1);
            break;
        case vk::kHome:
            if (row >= 2) {
                term_.set_CursorColumn(1);
                for (int i = 0; i < row; ++i) {
                    disp("\x1b[A");
                    term_.Scroll(ScrollRequest::LineUp);
                }
            }
            break;
        case vk::kEnd: {
            term_.set_CursorColumn(1);
            const int downs = term_.Rows() - row + 1;
            for (int i = 0; i < downs; ++i) {
                disp("\x1b[B");
                term_.Scroll(ScrollRequest::LineDown);
            }
            break;
        }
        case 'A':
        case vk::kOem6:
            commands_.kvb_quit();
            local_echo_ = false;
            ops_.debug().Break_Point_Set_Controls();
            break;
        case 'B':
            ops_.editing().Lineins(1);
            break;
        case 'C':
        case vk::kInsert:
            ops_.editing().Copy_to_Clipboard(0);
            local_echo_ = false;
            break;
        case 'T':
            ops_.editing().Copy_to_Clipboard(1);
            local_echo_ = false;
            break;
        case 'V':
            ops_.editing().Paste_from_Clipboard();
            local_echo_ = false;
            break;
        case 'D':
            ops_.desktop().Disconnect1Click();
            break;
        case 'K':
            disp("\x1b[0K");
            break;
        case 'U':
            disp("\x1b[1K");
            break;
        case 'L':
            state_.file_preselected = 1;
            ops_.files().Load68k();
            break;
        case 'M':
            ops_.debug().MonList();
            break;
        case 'N':
            ops_.editing().Lineins(0);
            break;
        case 'Y':
            ops_.editing().Linedel();
            break;
        case vk::kOem4:
            commands_.PrgRun();
            break;
        default:
            break;
    }
}

void Keyboard::history_list_hot_key(ListId id) {
    if (!gate()) return;
    const Focus place = focus_of_list(id);
    if (shell_.focus() == place) {
        shell_.focus_terminal();
        return;
    }
    shell_.show_page(page_of_list(id));
    shell_.set_focus(place);
    ListModel& list = shell_.list(id);
    if (shell_.focus() == place && !list.empty()) {
        if (list.current() >= 0) list.set_selected(list.current(), false);
        list.set_current(0);
        list.set_selected(0, true);
    }
}

void Keyboard::plain_table(int key) {
    // F8 leaves the selection for the break-point window to read.
    if (key != vk::F(8) && term_.SelLength() != 0) term_.set_SelLength(0);
    const int row = term_.CursorRow();
    switch (key) {
        case vk::kTab:
            disp("\t");
            break;
        case vk::kReturn: {
            int k = key;
            commands_.EnterLine(k);
            break;
        }
        case vk::kEscape:
            state_.max_rx_chunk = 0;
            term_.set_InBufferCount(0);
            break;
        case vk::kPrior:
            term_.set_CursorColumn(1);
            repeat_disp("\x1b[A", 10);
            break;
        case vk::kNext:
            term_.set_CursorColumn(1);
            repeat_disp("\x1b[B", 10);
            break;
        case vk::kHome:
            term_.set_CursorColumn(1);
            break;
        case vk::kEnd: {
            std::string line;
            dialogue_.GetLineStr(row, line);
            term_.set_CursorColumn(static_cast<int>(line.size()) + 1);
            break;
        }
        case vk::kLeft:
            disp("\x1b[D");
            break;
        case vk::kRight:
            disp("\x1b[C");
            break;
        case vk::kUp:
            if (row > 1) disp("\x1b[1A");
            break;
        case vk::kDown:
            disp(row < term_.Rows() ? "\x1b[B" : "\n");
            break;
        case vk::kInsert:
        case vk::kDelete: {
            const int column = term_.CursorColumn();
            std::string line;
            dialogue_.GetLineStr(row, line);
            // Ins re-writes the rest of the line one cell to the right, Del one
            // cell to the left.
            const size_t from = static_cast<size_t>(key == vk::kInsert ? column - 1 : column);
            const std::string rest = from < line.size() ? line.substr(from, 255) : std::string();
            disp("\x1b[0K");
            disp(key == vk::kInsert ? " " + rest : rest);
            term_.set_CursorColumn(column);
            break;
        }
        case vk::F(1):
            if (gate()) ops_.desktop().WebReference();
            break;
        case vk::F(2):
            if (!gate()) break;
            if (shell_.focus() == Focus::ListView1) {
                shell_.focus_terminal();
                break;
            }
            shell_.show_page(Page::TabSheet4);
            if (shell_.labels().empty()) {
                ops_.files().LabelListClick();
            } else {
                shell_.focus_label_list();
            }
            break;
        case vk::F(3):
            history_list_hot_key(ListId::ListBox1);
            break;
        case vk::F(4):
            if (!gate()) break;
            commands_.CommandExec("LIST", 0);
            shell_.focus_terminal();
            break;
        case vk::F(5):
            if (gate()) dialogue_.ScreenCls();
            break;
        case vk::F(6):
            if (gate()) ops_.debug().clr_outp();
            break;
        case vk::F(7):
            if (gate()) ops_.debug().ShowWatchWindow();
            break;
        case vk::F(8):
            if (gate()) ops_.debug().Break_Point(0);
            break;
        case vk::F(9):
            history_list_hot_key(ListId::ListBox2);
            break;
        case vk::F(10):
            history_list_hot_key(ListId::ListBox3);
            break;
        case vk::F(11):
            history_list_hot_key(ListId::ListBox4);
            break;
        default:
            local_echo_ = true;
            break;
    }
}

}  // namespace qvt::console
