#include "core/desktop/window_switch.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string_view>

#include "core/console/virtual_keys.h"

namespace qvt::desktop {

namespace {

namespace vk = console::vk;

struct Member {
    std::string_view name;
    int image;
};

// Index 5 is no tool's; QVTW2K and its older sibling share the first image.
constexpr std::array<Member, 8> kFamily{{{"BREMO", 2},
                                         {"KVBED", 1},
                                         {"QVTW32", 0},
                                         {"WLX", 3},
                                         {"QVTW2K", 0},
                                         {"BREMO_TAC", 4},
                                         {"BREMO_SRC", 6},
                                         {"KVBED2K", 1}}};

constexpr std::size_t kPadTo = 13;

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool ends_with_exe(std::string_view name) {
    return name.size() > 4 && upper(name.substr(name.size() - 4)) == ".EXE";
}

// The file name after the last folder separator of either kind.
std::string base_name(std::string_view path) {
    const auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string_view without_extension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

// Wine's loaders run under these names; the program they run is on the
// command line.
bool is_wine_loader(std::string_view executable) {
    return executable.starts_with("wine");
}

std::string hex_handle(platform::WindowId id) {
    char text[24];
    std::snprintf(text, sizeof text, "$%08llX", static_cast<unsigned long long>(id));
    return text;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

constexpr platform::ShiftState kAltOnly{false, false, true};
constexpr platform::ShiftState kNoShift{false, false, false};

}  // namespace

std::string executable_name(const std::string& executable,
                            const std::vector<std::string>& command_line) {
    const bool wine = is_wine_loader(executable) ||
                      (!command_line.empty() && ends_with_exe(command_line.front()));
    if (wine) {
        for (const std::string& word : command_line) {
            if (ends_with_exe(word)) return base_name(word);
        }
    }
    if (!executable.empty()) return executable;
    return command_line.empty() ? std::string() : base_name(command_line.front());
}

std::string padded_name(const std::string& executable) {
    std::string name(without_extension(executable));
    if (name.size() < kPadTo) name.append(kPadTo - name.size(), ' ');
    return name;
}

int state_image(const std::string& executable) {
    std::string name = upper(executable);
    if (ends_with_exe(name)) name = name.substr(0, name.size() - 4);
    for (const Member& member : kFamily) {
        if (name == member.name) return member.image;
    }
    return kNoImage;
}

std::vector<SwitchItem> build_switch_list(const std::vector<platform::TopLevelWindow>& windows) {
    std::vector<SwitchItem> items;
    for (const platform::TopLevelWindow& window : windows) {
        if (window.has_owner || !window.visible || window.title.empty()) continue;
        const std::string exe = executable_name(window.executable, window.command_line);
        const int image = state_image(exe);
        if (image == kNoImage) continue;
        SwitchItem item;
        item.exe_name = padded_name(exe);
        item.caption = item.exe_name + window.title;
        item.wnd = hex_handle(window.id);
        item.class_name = window.class_name;
        const auto first = std::find_if(windows.begin(), windows.end(),
                                        [&](const auto& w) { return w.title == window.title; });
        item.first_hwnd = std::to_string(first->id);
        item.image = image;
        item.id = window.id;
        items.push_back(std::move(item));
    }
    return items;
}

bool WindowSwitch::open_from_main(bool preselect_last) {
    if (windows_ == nullptr || !windows_->can_list()) return false;
    items_ = build_switch_list(windows_->top_level_windows());
    selected_ = -1;
    if (switch_open_ || items_.empty()) {
        refresh();
        return false;
    }
    const int count = static_cast<int>(items_.size());
    // The first item is normally the active window: Alt+Right offers the one
    // used before it.
    selected_ = preselect_last ? count - 1 : (count >= 2 ? 1 : 0);
    switch_open_ = true;
    refresh();
    if (view_ != nullptr) view_->show_switch(kSwitchCaption);
    return true;
}

bool WindowSwitch::ListView1KeyDown(int key, platform::ShiftState shift) {
    if (shift == kAltOnly) {
        const int count = static_cast<int>(items_.size());
        if ((key == vk::kLeft || key == vk::kRight) && count > 0) {
            // With nothing selected, Left starts from the end and Right from the top.
            if (key == vk::kLeft) {
                selected_ = selected_ <= 0 ? count - 1 : selected_ - 1;
            } else {
                selected_ = selected_ < 0 || selected_ >= count - 1 ? 0 : selected_ + 1;
            }
            switch_open_ = true;
            refresh();
            if (view_ != nullptr) view_->show_switch(kSwitchCaption);
        }
        return true;
    }
    if (shift != kNoShift) return false;
    if (key == vk::kReturn) {
        activate_selected();
        return true;
    }
    if (key == vk::kEscape) {
        if (view_ != nullptr) view_->focus_terminal();
        return true;
    }
    return false;
}

void WindowSwitch::ListView1KeyUp(platform::ShiftState shift) {
    if (shift != kNoShift || !switch_open_) return;
    if (view_ != nullptr) view_->hide_switch();
    switch_open_ = false;
    activate_selected();
}

void WindowSwitch::select(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) return;
    selected_ = index;
    refresh();
}

// A window that has gone since the list was built is passed over silently.
void WindowSwitch::activate_selected() {
    if (windows_ == nullptr || selected_ < 0 || selected_ >= static_cast<int>(items_.size())) {
        return;
    }
    const SwitchItem& item = items_[static_cast<std::size_t>(selected_)];
    // The older terminal keeps a second top-level window titled like the
    // item's title, which is the one to restore first.
    if (item.caption.find("QVTW32") != std::string::npos && item.caption.size() > 6) {
        const std::string title = trimmed(std::string_view(item.caption).substr(6));
        for (const auto& window : windows_->top_level_windows()) {
            if (window.title == title) {
                windows_->activate(window.id);
                break;
            }
        }
    }
    windows_->activate(item.id);
}

}  // namespace qvt::desktop
