// The profile's INI reader and writer: any file comes back out byte for byte,
// and keys written into it read back with the values written, while every
// other key keeps its value.
#include "core/startup/ini_file.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// No value a key can hold.
constexpr std::string_view kDefault =
    "\x01"
    "default";

// What a caller may store: a name of letters and digits, a value without a
// line end, blanks at its ends or quotes around it.
std::string name_from(std::string_view raw) {
    std::string out;
    for (const char c : raw)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
            out += c;
    return out.empty() ? std::string("K") : out;
}

std::string value_from(std::string_view raw) {
    std::string out;
    for (const char c : raw)
        if (c != '\r' && c != '\n' && c != '\0') out += c;
    while (!out.empty() && static_cast<unsigned char>(out.back()) <= ' ')
        out.pop_back();
    while (!out.empty() && static_cast<unsigned char>(out.front()) <= ' ')
        out.erase(0, 1);
    if (!out.empty() && (out.front() == '"' || out.front() == '\'')) out.insert(0, 1, 'v');
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qvt::fuzz::Input in(data, size);
    const std::string section = name_from(in.until_nul());
    const std::string key = name_from(in.until_nul());
    const std::string value = value_from(in.until_nul());
    const std::string other_section = name_from(in.until_nul());
    const std::string other_key = name_from(in.until_nul());
    const std::string_view file = in.rest();

    auto ini = qvt::startup::IniFile::from_bytes(file);
    QVT_FUZZ_CHECK(ini.bytes() == file);

    const bool same_key = qvt::startup::IniFile::from_bytes("[" + section + "]\n" + key + "=\n")
                              .contains(other_section, other_key);
    const std::string other_before = ini.get(other_section, other_key, kDefault);
    ini.set(section, key, value);
    QVT_FUZZ_CHECK(ini.get(section, key, kDefault) == value);

    const auto again = qvt::startup::IniFile::from_bytes(ini.bytes());
    QVT_FUZZ_CHECK(again.bytes() == ini.bytes());
    QVT_FUZZ_CHECK(again.get(section, key, kDefault) == value);
    if (!same_key) QVT_FUZZ_CHECK(again.get(other_section, other_key, kDefault) == other_before);
    return 0;
}
