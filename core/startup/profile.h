// The profile: the user's settings kept between runs in one INI file.
//
// How it works: ProfileValues holds everything the profile stores, in two
// kinds. The "memory" strings are what the core module keeps as text (window
// numbers as read, editors, current files, switches "1"/"0"); the "control"
// fields stand for the state of the windows that own them (window geometry,
// the watch window's boxes, fields and list, the launcher's port field and
// baud choice). The front-end fills the control fields from its windows before
// writing and applies them after reading.
//
// GetProfile reads the keys in a fixed order and applies each at once. A value
// that must be an integer and is not one (a hand edit, "Top=abc") gets that
// key's default and is named in one message for the user; every other key is
// still read, so the close writes back the user's editors, files and port
// rather than emptied values, and writes the default in place of the bad
// number. A profile that cannot be read whole (see IniFile::load) gives every
// default and is not written at the close. Some rules on reading are
// deliberate: the watch window's boxes are only ever ticked (a "0" leaves a
// ticked box ticked), the watch list is appended to, not replaced, and an
// empty "Form9" value counts as missing.
//
// WriteProfile writes every key in the table's order into an IniFile, so keys
// and sections new to the file appear in that order and everything else in the
// file (other programs' keys, comments) stays. "Form3" is written only when the
// main window is visible, so a run that never showed it keeps the old geometry.
//
// Where the file lives: in $QVTW2K_HOME when set; otherwise beside the
// executable when its folder is writable; otherwise in ~/.config/qvtw2k. Its
// name is the executable's base name with ".INI" (qvtw2k.INI), and the four
// history files (.cdh .flh .pth .mbh) sit beside it with the same base name.
//
// POSIX defaults for values whose Windows defaults cannot exist here:
//   "Editor"  : <executable folder>/kvbed2k, or kvbed2ke for the English edition;
//   "Editor1" : /usr/bin/xdg-open (the desktop's handler for the file; it returns
//               at once, so a launch that waits for the editor ends at once).
//   "RefHost" (section "Web", new here): the web command reference's host,
//               kDefaultReferenceHost; the Settings dialog changes it. Written
//               only once it names another host or the profile has it already.
// A profile written on Windows reads without harm: CR LF line ends are kept,
// Shift-JIS bytes and Windows paths are carried through as they are.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/file_system.h"
#include "core/startup/ini_file.h"

namespace qvt::startup {

struct WindowGeometry {
    int top = 0;
    int left = 0;
    int width = 600;
    int height = 400;
    friend bool operator==(const WindowGeometry&, const WindowGeometry&) = default;
};

struct ProfileValues {
    // --- held as strings by the core module (empty at start) ---
    std::string form3_top, form3_left, form3_width, form3_height;
    std::string panel2_top;       // tab-area height; "0" = one sixth of the main window
    std::string port_number;      // "Comport"/"Number"
    std::string quit_connecting;  // stop-at-connect, "1" or "0"
    std::string editor;           // program editor
    std::string editor1;          // point/MBK editor
    std::string prg_file, pnt_file, mbk_file;
    std::string ime_enabled;     // "1" or "0"
    std::string qvt_debug;       // "1" shows the debug page
    std::string reference_host;  // "Web"/"RefHost": host of the web command reference
    // "SessionLog": "On" ("1" or "0") and "File"; a profile that never had the
    // log switched on gets no such section.
    std::string session_log_on, session_log_file;

    // --- state of the windows that own the value ---
    WindowGeometry main_window;   // TForm3
    int panel2_height = 0;        // height of the main window's tab area (written only)
    WindowGeometry watch_window;  // floating watch window TForm9
    std::array<bool, 4>
        watch_boxes{};           // "Repeat", "Task Mon", "Watch Window", "Start with focused"
    std::string watch_variable;  // variable field text (ComboBox2)
    std::string watch_interval;  // interval field text (ComboBox1)
    int watch_print_index = 0;   // chosen print command (RadioGroup1)
    std::vector<std::string> watch_list;  // the variable field's list
    std::string launcher_port_field;      // launcher ComboBox1 text (written only)
    int baud_index = 0;                   // launcher RadioGroup_Baud, 0 = 38400, 1 = 115200
};

struct ProfileEnv {
    std::filesystem::path exe_dir;
    bool english_edition = false;
    int screen_width = 0;
    int screen_height = 0;
};

// The web command reference's host when the profile names none.
inline constexpr const char* kDefaultReferenceHost = "https://www.kvb-reference.example";

// The default of "Editor" and "Editor1" on this platform.
std::string default_program_editor(const ProfileEnv& env);
std::string default_point_editor();

// Integer conversion of profile values: optional leading blanks, sign, decimal
// digits or hexadecimal after "$" or "0x"; nothing may follow.
std::optional<int> to_integer(const std::string& text);
std::string integer_error(const std::string& text);  // "'abc' is not a valid integer value"

// Reads and applies the profile. Returns false with one message in `error`,
// naming each key whose value had to be an integer and was not one (that key
// took its default; the others were read as usual).
bool GetProfile(const IniFile& ini, const ProfileEnv& env, ProfileValues& values,
                std::string& error);
// Writes every key. Updates the "Form3" strings from main_window when it is visible.
void WriteProfile(IniFile& ini, ProfileValues& values, bool main_window_visible);

// --- where the files are ---

struct ProfileLocation {
    std::filesystem::path profile;        // .../qvtw2k.INI
    std::filesystem::path commands;       // .cdh, typed commands
    std::filesystem::path program_files;  // .flh
    std::filesystem::path point_files;    // .pth
    std::filesystem::path mbk_files;      // .mbh
};

// Pure rule, from the per-user folder and whether the executable's folder may
// be written.
ProfileLocation resolve_profile_location(const std::filesystem::path& exe_path,
                                         const platform::UserFolder& user_folder,
                                         bool exe_folder_writable);
// The same, from the process environment and the file system.
ProfileLocation profile_location(const std::filesystem::path& exe_path);

// Whole-file helpers: read the file (missing = all defaults) and apply it;
// load the current file, write the values into it, save it atomically (the
// folder is created when missing). Each returns the message to show, if any.
std::optional<std::string> read_profile_file(const std::filesystem::path& path,
                                             const ProfileEnv& env, ProfileValues& values);
std::optional<std::string> write_profile_file(const std::filesystem::path& path,
                                              ProfileValues& values, bool main_window_visible);

}  // namespace qvt::startup
