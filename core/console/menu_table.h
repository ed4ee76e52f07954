// The fixed layout facts of the main window: the menu entries with their
// captions and gate marks, the tab pages, the activity-lamp colours and the
// key-hint texts.
//
// How it works: everything here is data indexed by small enums, so
// the shell state (which entries are enabled, which page shows) is plain
// arrays indexed the same way, and a view builds its menu bar and tab strip by
// walking these tables in order. A caption holds the reminder of the key or
// terminal command after a tab character; a view shows it right-aligned.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qvt::console {

// Every entry of the main menu, in menu order.
enum class MenuItem : std::uint8_t {
    Load1,
    Save1,
    LabelRead1,
    PontLoad1,
    PointSave1,
    MbkLoad1,
    MbkSave1,
    EDIT1,
    PointEdit1,
    MBKEdit1,
    Exit1,
    LIST2,
    ScreenClear1,
    Copy1,
    CopywithoutLine1,
    Paste1,
    LineInsert1,
    InsertBlank1,
    LineDelete1,
    WebReference1,
    RUN1,
    QUIT1,
    MonList1,
    VariableWatch1,
    BreakPoint1,
    CLROUTP1,
    IOC1,
    Disconnect1,
    KVBMonitor1,
    SessionLog1,
};
inline constexpr int kMenuItemCount = 30;

constexpr int index_of(MenuItem item) {
    return static_cast<int>(item);
}

inline constexpr std::array<std::string_view, 5> kTopMenuCaptions = {
    " &File ", " Edit ", "&Program", "   IO  ", "  Tool  "};

// What a menu entry's operation runs on; defined with the table.
struct MenuContext;
using MenuRun = void (*)(MenuContext&);

struct MenuEntry {
    MenuItem item;
    int top_menu;  // index into kTopMenuCaptions
    std::string_view caption;
    bool gated;            // asks Func_Check(false) before the operation
    bool separator_after;  // a separator line follows this entry
    MenuRun run;           // the operation behind the entry
};

// In menu order; defined beside the operations it names (menu_actions.cpp).
extern const std::array<MenuEntry, kMenuItemCount> kMenuTable;

inline const MenuEntry& menu_entry(MenuItem item) {
    return kMenuTable[static_cast<std::size_t>(index_of(item))];
}

// Tab pages of the lower strip, in tab order.
enum class Page : std::uint8_t { TabSheet4, TabSheet1, TabSheet3, TabSheet6, TabSheet7, TabSheet2 };
inline constexpr int kPageCount = 6;
constexpr int index_of(Page page) {
    return static_cast<int>(page);
}

inline constexpr std::array<std::string_view, kPageCount> kPageCaptions = {
    "Label (F2)",       "Command (F3)",   "Program File (F9)",
    "Point File (F10)", "Mbk File (F11)", "Debug"};

// The activity lamp in status panel 0. Designed is the panel's own colour,
// shown until the first state change.
enum class Lamp : std::uint8_t { Designed, Lime, Red, Grey, Yellow };

struct Rgb {
    std::uint8_t r, g, b;
};
constexpr Rgb lamp_rgb(Lamp lamp) {
    switch (lamp) {
        case Lamp::Lime:
            return {0x00, 0xFF, 0x00};
        case Lamp::Red:
            return {0xFF, 0x00, 0x00};
        case Lamp::Grey:
            return {0x80, 0x80, 0x80};
        case Lamp::Yellow:
            return {0xFF, 0xFF, 0x00};
        case Lamp::Designed:
            break;
    }
    return {0xF0, 0xF0, 0xF0};
}

inline constexpr std::string_view kHintReady =
    "[F1] Cmd Ref [F4] LIST [F5] Clr Scrn [F6] Clr Outp [F7] Var Watch [F8] Bkp";
inline constexpr std::string_view kHintCommandHistory =
    "[Ent] Disp [Ins] Sort [Del] Remove [Ctrl+Del] Clear [Esc] Cancel";
inline constexpr std::string_view kHintFileHistory =
    "[Ent] Menu [Ins] Sort [Del] Remove [Ctrl+Del] Clear [Esc] Cancel";
inline constexpr std::string_view kHintLabelList =
    "[Ent] LIST [Ins] Label Sort [Ctrl+Ins] Line Sort [Esc] Cancel";

// Status bar panel widths in pixels (panel 3 takes the rest of the bar).
inline constexpr std::array<int, 4> kStatusPanelWidths = {20, 160, 40, 50};

inline constexpr std::string_view kCaption = "QVTW2K";
inline constexpr std::string_view kWatchModeRefusal = "Can not Execute (Watch Mode)";
inline constexpr std::string_view kTermModeRefusal = "Can not Execute (Terminal Mode)";
inline constexpr std::string_view kTransferModeRefusal = "Can not Execute (Transfer Mode)";

}  // namespace qvt::console
