// A small INI reader and writer with the Windows private-profile behaviour.
//
// How it works: the file is kept as its list of lines, each with its own line
// end, so writing a key touches that one line and nothing else: comments,
// blank lines, keys of other programs and bytes we do not understand (Shift-JIS
// text, Windows paths) come back out exactly as they went in.
//
// Lookup: a line "[name]" opens a section; a line "key=value" inside it is a
// key. Section and key names are compared without regard to ASCII case (bytes
// above 127 compare exactly), and the first matching section and key win.
// Lines starting with ';' or '#' are comments. A missing key gives the caller's
// default; a present key gives its value with surrounding blanks removed and
// then one pair of matching surrounding quotes ("..." or '...') removed.
//
// Writing: set() replaces the key's line by "key=value"; a key missing from its
// section is added after the section's last non-blank line; a missing section
// is appended at the end of the file, after a blank line. Added lines use the
// line end of the first line of the loaded file, or CR LF for a file without
// one (new files are written the way the Windows tools write them).
//
// Saving replaces the file the safe way of core/platform/file_system.h, so a
// crash or a full disk leaves either the old or the new file, never half of
// one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvt::startup {

class IniFile {
  public:
    IniFile() = default;
    // A settings file is a few kilobytes. One far larger is not a profile this
    // program wrote, and keeping it line by line would cost memory and time in
    // proportion (a 50 MB file of blank lines took gigabytes), so it counts as
    // unreadable.
    static constexpr std::uintmax_t kMaxBytes = std::uintmax_t{1} << 20;

    static IniFile from_bytes(std::string_view bytes);
    // A missing file gives an empty profile, as on Windows. A file that exists
    // but cannot be read whole (no regular file, larger than kMaxBytes, a read
    // error) gives nothing: the caller must not write it back from an empty
    // profile, which would throw away what it holds.
    static std::optional<IniFile> load(const std::filesystem::path& path);

    std::string get(std::string_view section, std::string_view key,
                    std::string_view default_value) const;
    bool contains(std::string_view section, std::string_view key) const;
    void set(std::string_view section, std::string_view key, std::string_view value);

    std::string bytes() const;
    // Atomic replacement of `path` (a symbolic link is followed, so the file it
    // names is replaced). Returns false and fills `error` when it fails; the
    // old file is then untouched.
    bool save(const std::filesystem::path& path, std::string& error) const;

  private:
    struct Line {
        std::string text;  // without its line end
        std::string eol;   // "\r\n", "\n" or "" (last line without one)
    };
    struct Span {
        std::size_t header;  // index of the "[section]" line
        std::size_t end;     // one past the section's last line
    };

    std::optional<Span> find_section(std::string_view section) const;
    std::ptrdiff_t find_key(const Span& span, std::string_view key) const;
    void insert_line(std::size_t at, std::string text);

    std::vector<Line> lines_;
    std::string new_eol_ = "\r\n";
};

}  // namespace qvt::startup
