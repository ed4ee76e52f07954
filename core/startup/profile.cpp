#include "core/startup/profile.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace qvt::startup {

namespace fs = std::filesystem;

namespace {

std::string bad_integer_text(const std::string& section, const std::string& key,
                             const std::string& text, const std::string& fallback) {
    return "[" + section + "] " + key + ": " + integer_error(text) + "; " + fallback +
           " is used instead.";
}

// Reads the integer keys: a value that is not a number gets the key's
// default, and the key is named in `bad`, so the user hears of it once and
// every other key is still read.
class IntegerKeys {
  public:
    IntegerKeys(const IniFile& ini, std::vector<std::string>& bad) : ini_(ini), bad_(bad) {}

    // text: the value as read; it becomes the default when it is no number.
    int convert(const char* section, const char* key, std::string& text, int fallback) {
        if (const auto value = to_integer(text)) return *value;
        bad_.push_back(bad_integer_text(section, key, text, std::to_string(fallback)));
        text = std::to_string(fallback);
        return fallback;
    }
    int read(const char* section, const char* key, int fallback) {
        std::string text = ini_.get(section, key, std::to_string(fallback));
        return convert(section, key, text, fallback);
    }
    // "Form9" keys: an empty value counts as missing.
    int read_or_default(const char* section, const char* key, int fallback) {
        std::string text = ini_.get(section, key, "");
        return text.empty() ? fallback : convert(section, key, text, fallback);
    }

  private:
    const IniFile& ini_;
    std::vector<std::string>& bad_;
};

const char* flag(bool on) {
    return on ? "1" : "0";
}

}  // namespace

std::string default_program_editor(const ProfileEnv& env) {
    return platform::file_name(env.exe_dir / (env.english_edition ? "kvbed2ke" : "kvbed2k"));
}

std::string default_point_editor() {
    return "/usr/bin/xdg-open";
}

std::optional<int> to_integer(const std::string& text) {
    std::string_view s(text);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return std::nullopt;
    long long magnitude = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size() || magnitude < 0) return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::string integer_error(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

bool GetProfile(const IniFile& ini, const ProfileEnv& env, ProfileValues& v, std::string& error) {
    std::vector<std::string> bad;
    IntegerKeys numbers(ini, bad);

    v.form3_top = ini.get("Form3", "Top", "0");
    v.form3_left = ini.get("Form3", "Left", "0");
    v.form3_width = ini.get("Form3", "Width", "600");
    v.form3_height = ini.get("Form3", "Height", "400");
    v.main_window.top = numbers.convert("Form3", "Top", v.form3_top, 0);
    v.main_window.left = numbers.convert("Form3", "Left", v.form3_left, 0);
    v.main_window.width = numbers.convert("Form3", "Width", v.form3_width, 600);
    v.main_window.height = numbers.convert("Form3", "Height", v.form3_height, 400);
    v.panel2_top = ini.get("Form3", "Panel2Top", "0");

    // Integer division truncates toward zero: a screen smaller than the window gives 0 or less.
    v.watch_window.top = numbers.read_or_default("Form9", "Top", (env.screen_height - 400) / 2);
    v.watch_window.left = numbers.read_or_default("Form9", "Left", (env.screen_width - 600) / 2);
    v.watch_window.height = numbers.read_or_default("Form9", "Height", 400);
    v.watch_window.width = numbers.read_or_default("Form9", "Width", 600);

    v.port_number = ini.get("Comport", "Number", "1");
    v.quit_connecting = ini.get("Comport", "quit_connecting", "1");

    v.editor = ini.get("Files", "Editor", "");
    if (v.editor.empty()) v.editor = default_program_editor(env);
    v.editor1 = ini.get("Files", "Editor1", default_point_editor());
    v.prg_file = ini.get("Files", "Prg_File", "");
    v.pnt_file = ini.get("Files", "Pnt_File", "");
    v.mbk_file = ini.get("Files", "Mbk_File", "");

    v.ime_enabled = ini.get("Edit", "ime_enabled", "0");

    for (std::size_t i = 0; i < v.watch_boxes.size(); ++i) {
        if (ini.get("Watch", "CheckBox" + std::to_string(i + 1), "0") == "1") {
            v.watch_boxes[i] = true;
        }
    }
    v.watch_interval = ini.get("Watch", "ComboBox1", "1000");
    v.watch_variable = ini.get("Watch", "ComboBox2", "");
    v.watch_print_index = numbers.read("Watch", "RadioGroup1", 0);
    for (int i = 0; i <= 9; ++i) {
        std::string entry = ini.get("Watch", std::to_string(i), "");
        if (!entry.empty()) v.watch_list.push_back(std::move(entry));
    }

    v.baud_index = numbers.read("BaudRate", "RadioGroup_Baud", 0);

    v.qvt_debug = ini.get("Debug", "qvt_debug", "0");
    v.reference_host = ini.get("Web", "RefHost", kDefaultReferenceHost);
    v.session_log_on = ini.get("SessionLog", "On", "");
    v.session_log_file = ini.get("SessionLog", "File", "");

    if (bad.empty()) return true;
    error.clear();
    for (const auto& line : bad)
        error += (error.empty() ? "" : "\r\n") + line;
    return false;
}

void WriteProfile(IniFile& ini, ProfileValues& v, bool main_window_visible) {
    if (main_window_visible) {
        v.form3_top = std::to_string(v.main_window.top);
        v.form3_left = std::to_string(v.main_window.left);
        v.form3_width = std::to_string(v.main_window.width);
        v.form3_height = std::to_string(v.main_window.height);
        ini.set("Form3", "Top", v.form3_top);
        ini.set("Form3", "Left", v.form3_left);
        ini.set("Form3", "Width", v.form3_width);
        ini.set("Form3", "Height", v.form3_height);
        ini.set("Form3", "Panel2Top", std::to_string(v.panel2_height));
    } else {
        // The old geometry stays, except a number the last read could not use:
        // it gets the default that was used instead, or every start would
        // report it again.
        const std::pair<const char*, const std::string*> keys[] = {{"Top", &v.form3_top},
                                                                   {"Left", &v.form3_left},
                                                                   {"Width", &v.form3_width},
                                                                   {"Height", &v.form3_height}};
        for (const auto& [key, text] : keys) {
            if (ini.contains("Form3", key) && !to_integer(ini.get("Form3", key, ""))) {
                ini.set("Form3", key, *text);
            }
        }
    }

    ini.set("Form9", "Top", std::to_string(v.watch_window.top));
    ini.set("Form9", "Left", std::to_string(v.watch_window.left));
    ini.set("Form9", "Width", std::to_string(v.watch_window.width));
    ini.set("Form9", "Height", std::to_string(v.watch_window.height));

    ini.set("Comport", "Number", v.launcher_port_field);
    ini.set("Comport", "quit_connecting", v.quit_connecting);

    ini.set("Files", "Editor", v.editor);
    ini.set("Files", "Editor1", v.editor1);
    ini.set("Files", "Prg_File", v.prg_file);
    ini.set("Files", "Pnt_File", v.pnt_file);
    ini.set("Files", "Mbk_File", v.mbk_file);

    ini.set("Edit", "ime_enabled", v.ime_enabled);

    for (std::size_t i = 0; i < v.watch_boxes.size(); ++i) {
        ini.set("Watch", "CheckBox" + std::to_string(i + 1), flag(v.watch_boxes[i]));
    }
    ini.set("Watch", "ComboBox2", v.watch_variable);
    ini.set("Watch", "ComboBox1", v.watch_interval);
    ini.set("Watch", "RadioGroup1", std::to_string(v.watch_print_index));
    for (std::size_t i = 0; i <= 9; ++i) {
        ini.set("Watch", std::to_string(i), i < v.watch_list.size() ? v.watch_list[i] : "");
    }

    ini.set("BaudRate", "RadioGroup_Baud", std::to_string(v.baud_index));

    ini.set("Debug", "qvt_debug", v.qvt_debug);
    // A profile that never named a host of its own stays as the Windows
    // edition wrote it.
    const bool own_host = !v.reference_host.empty() && v.reference_host != kDefaultReferenceHost;
    if (own_host || ini.contains("Web", "RefHost")) ini.set("Web", "RefHost", v.reference_host);
    if (!v.session_log_on.empty()) {
        ini.set("SessionLog", "On", v.session_log_on);
        ini.set("SessionLog", "File", v.session_log_file);
    }
}

ProfileLocation resolve_profile_location(const fs::path& exe_path,
                                         const platform::UserFolder& user_folder,
                                         bool exe_folder_writable) {
    // Beside the executable, as the Windows edition keeps it, unless a folder
    // was chosen for this user or the executable's folder is not his to write
    // (an installed program).
    const fs::path folder =
        user_folder.chosen || !exe_folder_writable ? user_folder.path : exe_path.parent_path();
    // Joined as paths: a Japanese program name must not pass through a code page.
    const auto beside = [&](const char* ext) { return (folder / exe_path.stem()) += ext; };
    return ProfileLocation{
        beside(".INI"), beside(".cdh"), beside(".flh"), beside(".pth"), beside(".mbh"),
    };
}

ProfileLocation profile_location(const fs::path& exe_path) {
    fs::path folder = exe_path.parent_path();
    if (folder.empty()) folder = ".";
    return resolve_profile_location(exe_path, platform::user_folder(),
                                    platform::is_writable_folder(folder));
}

std::optional<std::string> read_profile_file(const fs::path& path, const ProfileEnv& env,
                                             ProfileValues& values) {
    // A profile that cannot be read gives the defaults; the close says so and
    // leaves the file alone.
    const std::optional<IniFile> ini = IniFile::load(path);
    std::string error;
    if (!GetProfile(ini ? *ini : IniFile{}, env, values, error)) return error;
    return std::nullopt;
}

std::optional<std::string> write_profile_file(const fs::path& path, ProfileValues& values,
                                              bool main_window_visible) {
    if (path.has_parent_path()) {
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
    }
    // The file is rewritten from what it holds now, so one that exists but
    // cannot be read must be left alone: writing it from nothing would throw
    // away its comments and the keys of other programs.
    std::optional<IniFile> ini = IniFile::load(path);
    if (!ini) {
        return "Unable to read " + platform::file_name(path) + "; the settings were not saved.";
    }
    WriteProfile(*ini, values, main_window_visible);
    std::string error;
    if (!ini->save(path, error)) return error;
    return std::nullopt;
}

}  // namespace qvt::startup
