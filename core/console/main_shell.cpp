#include "core/console/main_shell.h"

#include <exception>

#include "core/console/history_file.h"

namespace qvt::console {

namespace {

constexpr std::array<std::string_view, 4> kHistoryExt = {kCommandHistoryExt, kProgramHistoryExt,
                                                         kPointHistoryExt, kMbkHistoryExt};

// The entries that the ready and busy states switch: every entry but Exit1
// and QUIT1, so that a running program can always be stopped and the window
// always closed.
bool in_enable_set(MenuItem item) {
    return item != MenuItem::Exit1 && item != MenuItem::QUIT1;
}

}  // namespace

std::optional<ListId> list_of_page(Page page) {
    switch (page) {
        case Page::TabSheet1:
            return ListId::ListBox1;
        case Page::TabSheet3:
            return ListId::ListBox2;
        case Page::TabSheet6:
            return ListId::ListBox3;
        case Page::TabSheet7:
            return ListId::ListBox4;
        default:
            return std::nullopt;
    }
}

Page page_of_list(ListId id) {
    constexpr std::array<Page, 4> pages = {Page::TabSheet1, Page::TabSheet3, Page::TabSheet6,
                                           Page::TabSheet7};
    return pages[size_t(id)];
}

Focus focus_of_list(ListId id) {
    constexpr std::array<Focus, 4> places = {Focus::ListBox1, Focus::ListBox2, Focus::ListBox3,
                                             Focus::ListBox4};
    return places[size_t(id)];
}

MainShell::MainShell(link::SharedState& state, platform::TerminalControl& term,
                     platform::EventPump& pump, platform::Dialogs& dialogs)
    : state_(state), term_(term), pump_(pump), dialogs_(dialogs) {
    menu_enabled_.fill(true);
    menu_visible_.fill(true);
    tab_visible_.fill(true);
    status_width_ = kStatusPanelWidths;
    for (auto& l : lists_)
        l.on_change = [this] { notify(ShellChange::Lists); };
    labels_.on_change = [this] { notify(ShellChange::Lists); };
}

// ---- window lifecycle -------------------------------------------------------

void MainShell::FormCreate(const std::string& executable_path) {
    executable_path_ = executable_path;
    set_connect_button_visible(false);
    clear_memo();
    show_page(Page::TabSheet1);
    // A history that exists but cannot be read starts empty, is reported once
    // here, and is left alone at close.
    std::string unreadable;
    for (size_t i = 0; i < lists_.size(); ++i) {
        std::vector<std::string> lines;
        if (auto error = read_history_file(history_path(executable_path, kHistoryExt[i]), lines)) {
            history_unreadable_[i] = true;
            unreadable += *error + "\r\n";
        }
        lists_[i].set_items(std::move(lines));
    }
    if (!unreadable.empty()) {
        dialogs_.MessageBox(std::string(kCaption), unreadable, platform::MsgIcon::Error,
                            platform::MsgButtons::Ok);
    }
    set_menu_visible(MenuItem::Disconnect1, false);
    menu_en_ds(false);
}

void MainShell::FormShow() {
    hide_ime_box();
    set_visible(true);
    termmode_menu_enable();
}

void MainShell::set_visible(bool visible) {
    visible_ = visible;
    notify(ShellChange::Window);
}

void MainShell::request_close() {
    if (hooks.close_window) {
        hooks.close_window();
    } else {
        FormCloseQuery();
    }
}

void MainShell::FormCloseQuery() {
    if (!closing_ && hooks.save_profile) hooks.save_profile();
    if (visible_ && !executable_path_.empty()) {
        for (size_t i = 0; i < lists_.size(); ++i) {
            // An empty file history keeps its old file; the command history is
            // always written.
            if (history_unreadable_[i]) continue;
            if (i == 0 || !lists_[i].empty()) {
                // A history that cannot be written is reported; the program
                // still ends, with everything else saved.
                try {
                    write_history_file(history_path(executable_path_, kHistoryExt[i]),
                                       lists_[i].items());
                } catch (const std::exception& e) {
                    dialogs_.MessageBox(std::string(kCaption), e.what(), platform::MsgIcon::Error,
                                        platform::MsgButtons::Ok);
                }
            }
        }
    }
    closing_ = true;
    notify(ShellChange::Window);
    if (hooks.show_launcher_below_screen) hooks.show_launcher_below_screen();
}

void MainShell::Panel3Resize(int /*width*/, int height) {
    pump_.process_pending();
    term_.set_ScrollRows(height / 18);
}

void MainShell::apply_debug_switch(bool on) {
    tab_visible_[index_of(Page::TabSheet2)] = on;
    notify(ShellChange::Pages);
    set_status_width(2, on ? 50 : 0);
}

// ---- menus, gate, ready and busy ----------------------------------------------

void MainShell::set_menu_enabled(MenuItem item, bool on) {
    menu_enabled_[index_of(item)] = on;
    notify(ShellChange::Menu);
}

void MainShell::set_menu_visible(MenuItem item, bool on) {
    menu_visible_[index_of(item)] = on;
    notify(ShellChange::Menu);
}

void MainShell::menu_en_ds(bool enabled) {
    for (MenuItem item :
         {MenuItem::Load1, MenuItem::ScreenClear1, MenuItem::LIST2, MenuItem::RUN1}) {
        menu_enabled_[index_of(item)] = enabled;
    }
    menu_enabled_[index_of(MenuItem::Exit1)] = true;
    notify(ShellChange::Menu);
}

void MainShell::all_menu_en_ds(bool enabled) {
    for (const auto& e : kMenuTable)
        menu_enabled_[index_of(e.item)] = enabled;
    menu_enabled_[index_of(MenuItem::Exit1)] = true;
    notify(ShellChange::Menu);
}

void MainShell::set_enable_set(bool on) {
    for (const auto& e : kMenuTable) {
        if (in_enable_set(e.item)) menu_enabled_[index_of(e.item)] = on;
    }
    notify(ShellChange::Menu);
}

void MainShell::termmode_menu_enable() {
    // A running watch owns the menus and the lamp until it stops.
    if (state_.watch_mode != 0) return;
    set_enable_set(true);
    set_pages_enabled(true);
    set_lamp(Lamp::Lime);
    set_status_text(3, std::string(kHintReady));
}

void MainShell::termmode_menu_disable() {
    set_enable_set(false);
    // During a watch the lists stay browsable.
    if (state_.watch_mode == 0) set_pages_enabled(false);
    set_lamp(Lamp::Red);
    set_status_text(3, "");
}

void MainShell::refuse(std::string_view text) {
    dialogs_.MessageBox(std::string(kCaption), std::string(text), platform::MsgIcon::None,
                        platform::MsgButtons::Ok);
}

bool MainShell::Func_Check(bool allow_during_watch) {
    if (state_.watch_mode != 0 && !allow_during_watch) {
        refuse(kWatchModeRefusal);
        return false;
    }
    if (state_.term_mode != 0) {
        refuse(kTermModeRefusal);
        return false;
    }
    if (state_.transfer_mode != 0 && !allow_during_watch) {
        refuse(kTransferModeRefusal);
        return false;
    }
    return true;
}

// ---- pages ----------------------------------------------------------------------

void MainShell::set_pages_enabled(bool on) {
    pages_enabled_ = on;
    notify(ShellChange::Pages);
}

void MainShell::show_page(Page page) {
    current_page_ = page;
    notify(ShellChange::Pages);
}

bool MainShell::PageControl1Changing(Page page) {
    if (!Func_Check(true)) {
        focus_terminal();
        notify(ShellChange::Pages);  // a view that already switched tabs switches back
        return false;
    }
    show_page(page);
    return true;
}

void MainShell::PageControl1MouseDown() {
    if (!Func_Check(true)) {
        focus_terminal();
        return;
    }
    if (current_page_ == Page::TabSheet4) {
        focus_label_list();
    } else if (auto id = list_of_page(current_page_)) {
        focus_list_at_top(*id);
    }
}

std::optional<Page> MainShell::highlighted_page() const {
    switch (focus_) {
        case Focus::ListView1:
            return Page::TabSheet4;
        case Focus::ListBox1:
            return Page::TabSheet1;
        case Focus::ListBox2:
            return Page::TabSheet3;
        case Focus::ListBox3:
            return Page::TabSheet6;
        case Focus::ListBox4:
            return Page::TabSheet7;
        default:
            return std::nullopt;
    }
}

// ---- focus --------------------------------------------------------------------------

void MainShell::set_focus(Focus place) {
    if (place == focus_) return;
    const Focus old = focus_;
    focus_ = place;
    notify(ShellChange::Focus);
    leave(old);
    if (focus_ == place && !enter(place)) {
        // The place refused: it never held the focus, so it is not left.
        focus_ = Focus::Terminal;
        notify(ShellChange::Focus);
    }
}

void MainShell::focus_list_at_top(ListId id) {
    set_focus(focus_of_list(id));
    ListModel& l = list(id);
    if (focus_ == focus_of_list(id) && !l.empty()) {
        l.set_current(0);
        l.set_selected(0, true);
    }
}

void MainShell::focus_label_list() {
    set_focus(Focus::ListView1);
    if (labels_.empty()) return;
    if (labels_.selected() < 0) {
        labels_.set_focused(0);
        labels_.set_selected(0);
    } else {
        labels_.set_focused(labels_.selected());
    }
}

bool MainShell::enter_history(ListId id, std::string_view hint, bool gate_on_empty) {
    if (!Func_Check(true)) return false;
    if (gate_on_empty && list(id).empty()) return false;
    set_status_text(3, std::string(hint));
    set_lamp(Lamp::Grey);
    return true;
}

bool MainShell::enter(Focus place) {
    switch (place) {
        case Focus::ListBox1:
            // Without a port the empty history may still be looked at.
            return enter_history(ListId::ListBox1, kHintCommandHistory, term_.PortOpen());
        case Focus::ListBox2:
            return enter_history(ListId::ListBox2, kHintFileHistory, true);
        case Focus::ListBox3:
            return enter_history(ListId::ListBox3, kHintFileHistory, true);
        case Focus::ListBox4:
            return enter_history(ListId::ListBox4, kHintFileHistory, true);
        case Focus::ListView1:
            set_status_text(3, std::string(kHintLabelList));
            set_lamp(Lamp::Grey);
            return true;
        default:
            return true;
    }
}

void MainShell::leave(Focus place) {
    switch (place) {
        case Focus::ListBox1:
        case Focus::ListBox2:
        case Focus::ListBox3:
        case Focus::ListBox4: {
            ListModel& l = lists_[size_t(place) - size_t(Focus::ListBox1)];
            l.set_current(-1);
            l.unselect_all();
            termmode_menu_enable();
            break;
        }
        case Focus::ListView1:
            termmode_menu_enable();
            break;
        default:
            break;
    }
}

// ---- status bar, lamp, log -------------------------------------------------------

void MainShell::set_lamp(Lamp lamp) {
    lamp_ = lamp;
    notify(ShellChange::Lamp);
}

void MainShell::set_status_text(int panel, std::string text) {
    status_text_.at(size_t(panel)) = std::move(text);
    notify(ShellChange::Status);
}

void MainShell::set_status_width(int panel, int width) {
    status_width_.at(size_t(panel)) = width;
    notify(ShellChange::Status);
}

void MainShell::clear_memo() {
    memo_.clear();
    notify(ShellChange::Memo);
}

void MainShell::append_memo(const std::string& text) {
    memo_ += text;
    notify(ShellChange::Memo);
}

void MainShell::Button1Click() {
    state_.max_rx_chunk = 0;
    focus_terminal();
}

// ---- IME input box, connection widgets --------------------------------------------

void MainShell::show_ime_box() {
    ime_box_visible_ = true;
    notify(ShellChange::Ime);
    set_focus(Focus::Edit4);
}

void MainShell::hide_ime_box() {
    ime_box_visible_ = false;
    notify(ShellChange::Ime);
}

void MainShell::set_terminal_enabled(bool on) {
    terminal_enabled_ = on;
    notify(ShellChange::Window);
}

void MainShell::set_connect_button_visible(bool on) {
    connect_button_visible_ = on;
    notify(ShellChange::Window);
}

}  // namespace qvt::console
