// The three file histories (program, point and MBK files) on the pages
// "Program File (F9)", "Point File (F10)" and "Mbk File (F11)", and their
// action menu.
//
// How it works: each list is a console ListModel (ListBox2..4), most recent
// first; the console reads them from and writes them to their history files
// (".flh", ".pth", ".mbh") when the main window opens and closes. Recording a
// file cuts the list to 50 entries, drops an older entry naming the same file
// (the stored entry trimmed; case counts, as in the file system) and puts the
// file on top, so a list holds at most 51 entries; it also makes the list's
// next sort ascending.
//
// The action menu runs its choice as the local command the user could have
// typed ("LOAD name", "PSAVE name", "MEDIT name"...), chosen by the file's
// extension, so every transfer starts exactly as from the terminal. "File
// Explorer" records the file again and opens its folder through a hook. The
// menu itself is a view: show_file_menu is asked to pop it up, and the view
// calls LOAD2Click and the others when the user picks an entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/transfer/context.h"

namespace qvt::transfer {

struct PopupPosition {
    int x = 0;
    int y = 0;
    friend bool operator==(const PopupPosition&, const PopupPosition&) = default;
};

class FileHistories {
  public:
    FileHistories(const TransferDeps& deps, const TransferHooks& hooks);

    // The action ("SAVE", "LOAD", "EDIT", "PSAVE", ... "EXPL") names the caller.
    void PrgFileHistory(const std::string& action, const std::string& file);
    void PointFileHistory(const std::string& action, const std::string& file);
    void MbkFileHistory(const std::string& action, const std::string& file);

    // ---- the pages' handlers (id: ListBox2, ListBox3 or ListBox4) -------------
    void ListKeyDown(console::ListId id, int& key, platform::ShiftState shift);
    void ListDblClick(console::ListId id);
    // kind 2 program, 3 point, 4 MBK.
    void Popupmenu1_Popup(int kind);
    // action "LOAD", "SAVE", "EDIT", "EXPLORER" or empty.
    void Popupmenu1_Proc(const std::string& action);
    void LOAD2Click() { Popupmenu1_Proc("LOAD"); }
    void SAVE2Click() { Popupmenu1_Proc("SAVE"); }
    void EDIT3Click() { Popupmenu1_Proc("EDIT"); }
    void Explorer1Click() { Popupmenu1_Proc("EXPLORER"); }

    // Where the action menu appears: 10 pixels into the main window, 50 below
    // the top of the lower panel.
    static PopupPosition popup_position(int main_left, int main_top, int panel2_top);
    // The next Insert sorts this list descending.
    bool sort_descending_next(console::ListId id) const { return flags_[slot(id)] != 0; }

  private:
    static std::size_t slot(console::ListId id);
    void record(console::ListId id, const std::string& file);
    void sort(console::ListId id);

    TransferDeps d_;
    const TransferHooks& hooks_;
    std::array<std::uint8_t, 3> flags_{};
};

}  // namespace qvt::transfer
