#include "core/transfer/label_list.h"

#include <algorithm>
#include <charconv>

#include "core/console/menu_table.h"
#include "core/console/virtual_keys.h"
#include "core/transfer/file_dialog.h"
#include "core/transfer/qfile.h"

namespace qvt::transfer {

namespace vk = console::vk;

namespace {

constexpr std::size_t kMaxLabel = 255;

long line_value(const std::string& text) {
    long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

int sign(long v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

}  // namespace

std::string label_name_of(const std::string& text) {
    std::string line = trim_blank(text);
    if (line.empty()) return {};
    const auto colon = line.find(':');
    if (colon != std::string::npos) line.resize(colon);
    if (line.size() < 2) return {};
    return trim_blank(std::string_view(line).substr(1, kMaxLabel));
}

LabelList::LabelList(const TransferDeps& deps, const TransferHooks& hooks, LoadCounter& counter)
    : d_(deps), hooks_(hooks), counter_(counter) {}

void LabelList::ListView_Add(std::int32_t line_no, const std::string& text) {
    std::string name = label_name_of(text);
    if (name.empty()) return;
    std::vector<console::LabelRow> rows = model().rows();
    rows.push_back({std::move(name), std::to_string(line_no)});
    model().set_rows(std::move(rows));
}

void LabelList::clear() {
    model().set_rows({});
}

void LabelList::Label_Read() {
    std::string& file = d_.files.Prg_File;
    call(hooks_.hide_break_point_window);
    call(hooks_.close_watch_window_if_visible);
    // A cancelled dialog leaves the current name as it was.
    std::string chosen = remove_extension(file);
    FileDialogOptions options;
    options.default_ext = "Q2K";
    options.open = true;
    options.title = "Read Label";
    options.filter = {{"Q2K files (*.Q2K)", "*.Q2K"}};
    if (!OpenSaveFileDialog(d_.dialogs, options, chosen)) {
        d_.shell.focus_terminal();
        return;
    }
    file = chosen;
    QFileReader reader;
    if (!reader.open(file)) {
        d_.dialogs.MessageBox(kFileCaption, "File Open Error " + file, platform::MsgIcon::Error,
                              platform::MsgButtons::Ok);
        return;
    }
    std::vector<console::LabelRow> rows;
    counter_.load_line_no = 1;
    try {
        while (!reader.eof()) {
            std::string line = reader.read_line();
            if (line.find("END_OF_LOAD") != std::string::npos) break;
            const auto comment = line.find("/*");
            if (comment != std::string::npos) line.resize(comment);
            line = trim_blank(line);
            if (!line.empty() && line[0] == '*') {
                std::string name = label_name_of(line);
                if (!name.empty())
                    rows.push_back({std::move(name), std::to_string(counter_.load_line_no)});
            }
            ++counter_.load_line_no;
        }
    } catch (const std::exception& e) {
        d_.dialogs.MessageBox(kFileCaption,
                              std::string("File Read Error ") + file + "\r\n" + e.what(),
                              platform::MsgIcon::Error, platform::MsgButtons::Ok);
    }
    reader.close();
    model().set_rows(std::move(rows));

    d_.shell.show_page(console::Page::TabSheet4);
    d_.shell.set_focus(console::Focus::ListView1);
    if (hooks_.narrow_label_column) hooks_.narrow_label_column(true);
    if (!model().empty()) {
        model().set_focused(0);
        model().set_selected(0);
    } else {
        d_.shell.focus_terminal();
    }
    d_.shell.set_lamp(console::Lamp::Lime);
}

int LabelList::ListView1Compare(const console::LabelRow& a, const console::LabelRow& b) const {
    if (sort_column_ == 0) {
        const std::string ua = upper_ascii(a.label);
        const std::string ub = upper_ascii(b.label);
        // char_traits<char> compares as unsigned bytes, so Shift-JIS names
        // sort after ASCII ones.
        const auto cmp = [](const std::string& x, const std::string& y) {
            const int c = x.compare(y);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        };
        return sort_flag_ == 0 ? cmp(ua, ub) : cmp(ub, ua);
    }
    const long la = line_value(a.line);
    const long lb = line_value(b.line);
    return sort_flag_ == 0 ? sign(la - lb) * -1 : sign(la - lb);
}

void LabelList::ListView1ColumnClick(int column) {
    if (model().empty()) return;
    sort_column_ = column;
    std::vector<console::LabelRow> rows = model().rows();
    std::stable_sort(rows.begin(), rows.end(),
                     [this](const console::LabelRow& a, const console::LabelRow& b) {
                         return ListView1Compare(a, b) < 0;
                     });
    sort_flag_ = sort_flag_ == 0 ? 1 : 0;
    model().set_rows(std::move(rows));
    model().set_focused(0);
    model().set_selected(0);
}

void LabelList::ListView1KeyDown(int& key, platform::ShiftState shift) {
    switch (key) {
        case vk::kReturn:
            ListView1DblClick();
            break;
        case vk::kInsert: {
            const bool ctrl_only = shift.ctrl && !shift.shift && !shift.alt;
            ListView1ColumnClick(ctrl_only ? 1 : 0);
            break;
        }
        case vk::kEscape:
        case vk::F(2):
            d_.shell.focus_terminal();
            break;
        case vk::F(10):
            break;
        default:
            return;
    }
    key = vk::kNone;
}

void LabelList::ListView1DblClick() {
    if (model().empty()) return;
    int row = model().focused();
    if (row < 0) row = model().selected();
    if (row < 0 || row >= model().count()) return;
    d_.commands.CommandExec("LIST *" + model().rows()[static_cast<std::size_t>(row)].label, 1);
}

void LabelList::ListView1Click() {
    if (!d_.shell.Func_Check(false)) {
        d_.shell.focus_terminal();
        return;
    }
    if (d_.shell.focus() != console::Focus::ListView1) {
        d_.shell.set_focus(console::Focus::ListView1);
    } else {
        d_.shell.set_status_text(3, std::string(console::kHintLabelList));
        d_.shell.set_lamp(console::Lamp::Grey);
    }
    if (!model().empty()) return;
    const auto answer = d_.dialogs.MessageBox(
        kCaption, "The labels have been not read.\r\nRead from a Source File.",
        platform::MsgIcon::Question, platform::MsgButtons::OkCancel);
    if (answer == platform::MsgResult::Ok) {
        d_.pump.process_pending();
        Label_Read();
    } else {
        d_.shell.focus_terminal();
        d_.shell.termmode_menu_enable();
    }
}

}  // namespace qvt::transfer
