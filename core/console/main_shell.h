// The main terminal window as state: which menu entries are enabled, which tab
// page shows and whether the pages may be used, where the keyboard focus is,
// the activity lamp and the status-bar texts, the debug log, the IME input box
// and the item lists of the pages.
//
// How it works: the shell is the model, the window is its view. Every change
// goes through a method here and ends in on_change with the part that changed,
// so the view redraws that part; user actions come back as calls (a page
// clicked, a list focused, the window closing). Focus follows the rules of a
// dialog framework: set_focus() runs the leave handler of the place losing the
// focus and the enter handler of the place gaining it, and an enter handler
// that refuses (the gate failed, the list is empty) sends the focus to the
// terminal instead. A view therefore reports focus that the user moved and
// applies the focus that the model sets, without calling handlers itself.
//
// The ready and busy states and the gate Func_Check live here because every
// operation of the system consults them; they read the shared flags and show
// refusals through the platform dialogs.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/console/list_model.h"
#include "core/console/menu_table.h"
#include "core/link/shared_state.h"
#include "core/platform/dialogs.h"
#include "core/platform/event_pump.h"
#include "core/platform/terminal_control.h"

namespace qvt::console {

// Places that can hold the keyboard focus.
enum class Focus : std::uint8_t {
    Terminal,   // PDQComm1
    ListView1,  // label list
    ListBox1,   // command history
    ListBox2,   // program-file history
    ListBox3,   // point-file history
    ListBox4,   // MBK-file history
    Edit4,      // IME input box
    Other,      // anything else (the debug page, a menu)
};

// The four string lists of the pages.
enum class ListId : std::uint8_t { ListBox1, ListBox2, ListBox3, ListBox4 };

enum class ShellChange : std::uint8_t {
    Menu,              // enabled or visible state of menu entries
    Pages,             // PageControl1 enabled, current page, tab visibility
    Focus,             // focus()
    Lamp,              // lamp()
    Status,            // status panel texts or widths
    Memo,              // the debug log
    Lists,             // rows, selection or current entry of any list
    Ime,               // the IME input box shown or hidden
    CloseInputMethod,  // an event: the view closes the terminal's input method
    Window,            // connect button, terminal enabled, visibility, closing
};

struct ShellHooks {
    // Writes the profile (done once, at the first close).
    std::function<void()> save_profile;
    // Moves the launcher below the screen and shows it; the launcher then ends
    // the program.
    std::function<void()> show_launcher_below_screen;
    // Closes the main window; the view then calls FormCloseQuery(). When
    // unset, request_close() runs FormCloseQuery() itself.
    std::function<void()> close_window;
    // Switches the session log on (asking for its file) or off.
    std::function<void()> session_log;
};

class MainShell {
  public:
    MainShell(link::SharedState& state, platform::TerminalControl& term, platform::EventPump& pump,
              platform::Dialogs& dialogs);
    MainShell(const MainShell&) = delete;
    MainShell& operator=(const MainShell&) = delete;

    std::function<void(ShellChange)> on_change;
    ShellHooks hooks;

    // ---- window lifecycle -------------------------------------------------
    // Loads the history lists from the files beside executable_path and sets
    // the created state of the menus.
    void FormCreate(const std::string& executable_path);
    void FormShow();
    void set_visible(bool visible);
    bool visible() const { return visible_; }
    // Exit1, Alt+F4.
    void request_close();
    // The close handler: profile once, histories when visible, then the
    // launcher. Never refuses.
    void FormCloseQuery();
    bool closing() const { return closing_; }
    // The terminal pane got a new size in pixels.
    void Panel3Resize(int width, int height);
    // The launcher's debug switch: Debug tab and status panel 2 shown or not.
    void apply_debug_switch(bool on);

    // ---- menus, gate, ready and busy ------------------------------------------
    bool menu_enabled(MenuItem item) const { return menu_enabled_[index_of(item)]; }
    bool menu_visible(MenuItem item) const { return menu_visible_[index_of(item)]; }
    void set_menu_enabled(MenuItem item, bool on);
    void set_menu_visible(MenuItem item, bool on);
    void menu_en_ds(bool enabled);
    void all_menu_en_ds(bool enabled);
    void termmode_menu_enable();
    void termmode_menu_disable();
    bool Func_Check(bool allow_during_watch);

    // ---- pages ----------------------------------------------------------------
    bool pages_enabled() const { return pages_enabled_; }
    void set_pages_enabled(bool on);
    Page current_page() const { return current_page_; }
    // Shows a page from code (no gate).
    void show_page(Page page);
    bool page_tab_visible(Page page) const { return tab_visible_[index_of(page)]; }
    // The user picks a tab: allowed only when Func_Check(true) passes;
    // otherwise the page stays and the terminal gets the focus.
    bool PageControl1Changing(Page page);
    // The user clicked the tab strip: the control of the page showing takes
    // the focus.
    void PageControl1MouseDown();
    // The tab drawn highlighted: the page whose list holds the focus.
    std::optional<Page> highlighted_page() const;

    // ---- focus ------------------------------------------------------------------
    Focus focus() const { return focus_; }
    void set_focus(Focus place);
    void focus_terminal() { set_focus(Focus::Terminal); }
    // Focuses a history list and makes entry 0 current and selected when the
    // list took the focus and has entries.
    void focus_list_at_top(ListId id);
    // Focuses the label list and selects its first selected row, or marks row
    // 0 focused and selected when none is.
    void focus_label_list();

    // ---- status bar, lamp, log -----------------------------------------------
    Lamp lamp() const { return lamp_; }
    void set_lamp(Lamp lamp);
    const std::string& status_text(int panel) const { return status_text_.at(size_t(panel)); }
    void set_status_text(int panel, std::string text);
    int status_width(int panel) const { return status_width_.at(size_t(panel)); }
    void set_status_width(int panel, int width);
    // The receive handler's largest chunk, shown in panel 2.
    void show_rx_chunk(int count) { set_status_text(2, std::to_string(count)); }
    const std::string& memo_text() const { return memo_; }
    void clear_memo();
    void append_memo(const std::string& text);
    // The Debug page's button.
    void Button1Click();

    // ---- IME input box, connection widgets ----------------------------------
    bool ime_box_visible() const { return ime_box_visible_; }
    void show_ime_box();
    void hide_ime_box();
    // Asks the view to close the terminal window's input method.
    void close_input_method() { notify(ShellChange::CloseInputMethod); }
    bool terminal_enabled() const { return terminal_enabled_; }
    void set_terminal_enabled(bool on);
    bool connect_button_visible() const { return connect_button_visible_; }
    void set_connect_button_visible(bool on);

    // ---- lists -------------------------------------------------------------------
    ListModel& list(ListId id) { return lists_[size_t(id)]; }
    const ListModel& list(ListId id) const { return lists_[size_t(id)]; }
    LabelListModel& labels() { return labels_; }
    const LabelListModel& labels() const { return labels_; }
    const std::string& executable_path() const { return executable_path_; }

    link::SharedState& state() { return state_; }
    platform::TerminalControl& term() { return term_; }
    platform::Dialogs& dialogs() { return dialogs_; }

  private:
    void notify(ShellChange what) {
        if (on_change) on_change(what);
    }
    void set_enable_set(bool on);
    // Returns false when the place refused the focus.
    bool enter(Focus place);
    void leave(Focus place);
    bool enter_history(ListId id, std::string_view hint, bool gate_on_empty);
    void refuse(std::string_view text);

    link::SharedState& state_;
    platform::TerminalControl& term_;
    platform::EventPump& pump_;
    platform::Dialogs& dialogs_;

    std::array<bool, kMenuItemCount> menu_enabled_{};
    std::array<bool, kMenuItemCount> menu_visible_{};
    bool pages_enabled_ = true;
    Page current_page_ = Page::TabSheet1;
    std::array<bool, kPageCount> tab_visible_{};
    Focus focus_ = Focus::Terminal;
    Lamp lamp_ = Lamp::Designed;
    std::array<std::string, 4> status_text_{};
    std::array<int, 4> status_width_{};
    std::string memo_;
    bool ime_box_visible_ = false;
    bool terminal_enabled_ = true;
    bool connect_button_visible_ = false;
    bool visible_ = false;
    bool closing_ = false;
    std::array<ListModel, 4> lists_;
    std::array<bool, 4> history_unreadable_{};
    LabelListModel labels_;
    std::string executable_path_;
};

// The list shown on a page, if the page holds one of the four string lists.
std::optional<ListId> list_of_page(Page page);
Page page_of_list(ListId id);
Focus focus_of_list(ListId id);

}  // namespace qvt::console
