#include "core/transfer/file_histories.h"

#include <algorithm>
#include <filesystem>

#include "core/console/virtual_keys.h"
#include "core/platform/file_system.h"
#include "core/transfer/qfile.h"

namespace qvt::transfer {

namespace vk = console::vk;
using console::ListId;

namespace {

constexpr int kKeepBeforeInsert = 50;
constexpr int kContextMenuKey = 93;  // the keyboard's menu key

int page_key(ListId id) {
    switch (id) {
        case ListId::ListBox3:
            return vk::F(10);
        case ListId::ListBox4:
            return vk::F(11);
        default:
            return vk::F(9);
    }
}

int kind_of(ListId id) {
    return static_cast<int>(id) - static_cast<int>(ListId::ListBox2) + 2;
}

// The list of a file kind by extension (upper-cased, with its dot).
std::optional<ListId> list_of_ext(const std::string& ext) {
    if (ext == ".Q2K") return ListId::ListBox2;
    if (ext == ".P2K") return ListId::ListBox3;
    if (ext == ".MBK") return ListId::ListBox4;
    return std::nullopt;
}

}  // namespace

FileHistories::FileHistories(const TransferDeps& deps, const TransferHooks& hooks)
    : d_(deps), hooks_(hooks) {}

std::size_t FileHistories::slot(ListId id) {
    return static_cast<std::size_t>(id) - static_cast<std::size_t>(ListId::ListBox2);
}

void FileHistories::PrgFileHistory(const std::string&, const std::string& file) {
    record(ListId::ListBox2, file);
}
void FileHistories::PointFileHistory(const std::string&, const std::string& file) {
    record(ListId::ListBox3, file);
}
void FileHistories::MbkFileHistory(const std::string&, const std::string& file) {
    record(ListId::ListBox4, file);
}

void FileHistories::record(ListId id, const std::string& file) {
    flags_[slot(id)] = 0;
    console::ListModel& list = d_.shell.list(id);
    while (list.count() > kKeepBeforeInsert)
        list.erase(list.count() - 1);
    // Names are compared as the file system compares them: a.Q2K and A.Q2K
    // are two files here.
    for (int i = 0; i < list.count(); ++i) {
        if (trim_blank(list.item(i)) == file) {
            list.erase(i);
            break;
        }
    }
    list.insert(0, file);
    d_.shell.focus_terminal();
}

void FileHistories::sort(ListId id) {
    d_.shell.list(id).sort_rows(flags_[slot(id)] != 0);
    flags_[slot(id)] = flags_[slot(id)] == 0 ? 1 : 0;
}

void FileHistories::ListKeyDown(ListId id, int& key, platform::ShiftState shift) {
    console::ListModel& list = d_.shell.list(id);
    const auto confirm = [this](const std::string& text) {
        return d_.dialogs.MessageBox(kCaption, text, platform::MsgIcon::None,
                                     platform::MsgButtons::OkCancel) == platform::MsgResult::Ok;
    };
    const bool ctrl_only = shift.ctrl && !shift.shift && !shift.alt;
    if (key == vk::kReturn || key == kContextMenuKey) {
        Popupmenu1_Popup(kind_of(id));
    } else if (key == vk::kEscape || key == page_key(id)) {
        d_.shell.focus_terminal();
    } else if (key == vk::F(10)) {
        // F10 would open the main menu; the lists keep it.
    } else if (key == vk::kDelete && ctrl_only) {
        if (confirm("Clear the ListBox\r\n")) {
            list.clear();
            d_.shell.focus_terminal();
        }
    } else if (key == vk::kDelete) {
        if (list.current() >= 0) {
            if (confirm("Remove selected item from the List\r\n'" + list.item(list.current()) +
                        "'")) {
                list.remove_selected();
                if (list.empty()) {
                    d_.shell.focus_terminal();
                } else if (list.current() >= 0) {
                    list.set_selected(list.current(), true);
                }
            }
        }
    } else if (key == vk::kInsert) {
        sort(id);
    } else {
        return;
    }
    key = vk::kNone;
}

void FileHistories::ListDblClick(ListId id) {
    Popupmenu1_Popup(kind_of(id));
}

PopupPosition FileHistories::popup_position(int main_left, int main_top, int panel2_top) {
    return {main_left + 10, main_top + panel2_top + 50};
}

void FileHistories::Popupmenu1_Popup(int kind) {
    if (kind < 2 || kind > 4) return;
    const auto id = static_cast<ListId>(static_cast<int>(ListId::ListBox2) + kind - 2);
    if (!d_.shell.Func_Check(false) || d_.shell.list(id).empty()) {
        d_.shell.focus_terminal();
        return;
    }
    call(hooks_.show_file_menu);
}

void FileHistories::Popupmenu1_Proc(const std::string& action) {
    std::string name;
    std::optional<ListId> focused;
    switch (d_.shell.focus()) {
        case console::Focus::ListBox2:
            focused = ListId::ListBox2;
            break;
        case console::Focus::ListBox3:
            focused = ListId::ListBox3;
            break;
        case console::Focus::ListBox4:
            focused = ListId::ListBox4;
            break;
        default:
            break;
    }
    if (focused) {
        const console::ListModel& list = d_.shell.list(*focused);
        if (list.current() >= 0 && list.current() < list.count()) {
            name = trim_blank(list.item(list.current()));
        }
    }
    const std::string ext = upper_ascii(extension_of(name));
    const std::optional<ListId> kind = list_of_ext(ext);
    if (action == "LOAD" || action == "SAVE" || action == "EDIT") {
        if (!kind) return;
        static constexpr std::array<std::array<const char*, 3>, 3> kCommands = {{
            {"LOAD ", "SAVE ", "EDIT "},
            {"PLOAD ", "PSAVE ", "PEDIT "},
            {"MLOAD ", "MSAVE ", "MEDIT "},
        }};
        const std::size_t which = action == "LOAD" ? 0 : (action == "SAVE" ? 1 : 2);
        d_.commands.QVTCommands(kCommands[slot(*kind)][which] + name);
        if (action == "EDIT") d_.shell.focus_terminal();
    } else if (action == "EXPLORER") {
        if (kind) record(*kind, name);
        d_.shell.focus_terminal();
        if (!name.empty() && hooks_.open_folder) {
            hooks_.open_folder(platform::file_name(platform::file_path(name).parent_path()));
        }
    } else if (action.empty()) {
        d_.shell.focus_terminal();
    }
}

}  // namespace qvt::transfer
