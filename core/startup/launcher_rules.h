// The launcher's small rules, kept apart from the window so they can be tested
// without one: how a list entry or a typed field becomes a port and a baud
// rate, what the status bar says, and how tall the main window's tab area is.
//
// How it works: list entries are "COMn" followed by a label; the port number is
// taken by position (characters 4 to 6, trimmed) from any entry containing
// "COM", exactly as the list is built. The controller's own USB interface
// ("KVB-410" in the entry) always runs at 115200 baud; otherwise the radio
// group decides (index 0 = 38400, anything else 115200).
#pragma once

#include <optional>
#include <string>

namespace qvt::startup {

// Blanks and control characters removed at both ends.
std::string trim_text(const std::string& text);
// Characters `first` (1-based) to first+count-1 of `text`, as far as they exist.
std::string copy_text(const std::string& text, std::size_t first, std::size_t count);

int baud_of_index(int radio_index);

// What a Connect button decides before opening the port.
struct ConnectPlan {
    std::optional<std::string> port;  // port number as text; nothing = do not connect
    int baud = 38400;
    std::string status_text;  // main status panel 1
};

// USB-RS Connect for a selected entry.
ConnectPlan usbrs_connect_plan(const std::string& entry, int radio_index);
// Other COM Port Connect for the port field's text.
ConnectPlan other_com_connect_plan(const std::string& port_field, int radio_index);
// "Set to COM": the port field's new text, or nothing for an entry without "COM"
// (the caller then shows "invalid COM number").
std::optional<std::string> set_to_com(const std::string& entry);

// Height of the main window's tab area at connect: "Panel2Top", or a sixth of
// the main window's height when it is "0". Nothing when the text is no integer.
std::optional<int> tab_area_height(const std::string& panel2_top, int main_height);

// Launcher status panel 0 and the English-edition test on the executable's
// file name ("QVTW2KE.EXE" on Windows, "qvtw2ke" here; case ignored).
bool is_english_edition(const std::string& exe_file_name);
std::string version_text(bool english_edition);
// Launcher status panel 2.
std::string stop_status_text(const std::string& quit_connecting);

// Status panel 1 for the terminal control's version, and whether it is a
// legacy control.
struct ControlVersionStatus {
    std::string text;
    bool legacy = true;
};
ControlVersionStatus control_version_status(const std::string& path, const std::string& version);

}  // namespace qvt::startup
