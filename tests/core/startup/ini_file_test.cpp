#include "core/startup/ini_file.h"

#include <gtest/gtest.h>

#include <array>

namespace qvt::startup {
namespace {

TEST(IniGet, FollowsPrivateProfileLookup) {
    const struct {
        const char *text, *section, *key, *expected;
    } cases[] = {{"[Comport]\nNumber=5\n", "Comport", "Number", "5"},
                 {"[COMPORT]\nnumber=5\n", "comport", "NUMBER", "5"},  // names ignore case
                 {"[ Comport ]\n  Number  =  7  \n", "Comport", "Number", "7"},
                 {"[Files]\nEditor=\"C:\\a b\\e.exe\"\n", "Files", "Editor", "C:\\a b\\e.exe"},
                 {"[Files]\nEditor=' x '\n", "Files", "Editor", " x "},  // quotes after blanks
                 {"[Files]\nEditor=\"x'\n", "Files", "Editor", "\"x'"},  // quotes must match
                 {"[Files]\nEditor=\n", "Files", "Editor", ""},          // present but empty
                 {"[Files]\n", "Files", "Editor", "<default>"},
                 {"", "Files", "Editor", "<default>"},
                 {"[Other]\nEditor=x\n", "Files", "Editor", "<default>"},  // key of another section
                 {"[Files]\n;Editor=x\n#Editor=y\n", "Files", "Editor", "<default>"},
                 {"[Files]\nEditor=a=b\n", "Files", "Editor", "a=b"},
                 {"[A]\nk=1\nk=2\n[A]\nk=3\n", "A", "k", "1"},  // first section and key win
                 {"[A]\r\nk=v\r\n", "A", "k", "v"},             // CR is no part of the value
                 {"[A]\nk=\x83\x5c\x83\x74\x83\x67\n", "A", "k", "\x83\x5c\x83\x74\x83\x67"}};
    for (const auto& c : cases)
        EXPECT_EQ(IniFile::from_bytes(c.text).get(c.section, c.key, "<default>"), c.expected)
            << c.text << " " << c.key;
}

// A key is replaced in place, a new key goes after its section's last line, new
// sections go at the end; everything else, and the file's line ends, stay.
TEST(IniSet, ChangesOnlyWhatIsSet) {
    const std::string windows =
        "[Files]\r\nEditor=C:\\QVTW\\KvbEd2K.EXE\r\nPrg_File=C:\\\x83\x76\x83\x8d\\a.Q2K\r\n";
    struct Case {
        std::string before;
        std::vector<std::array<const char*, 3>> sets;
        std::string after;
    };
    for (const auto& c : std::vector<Case>{
             {"; made by hand\n[Comport]\nNumber=1\n; keep me\nOther=x\n\n[Tool]\nA=1\n",
              {{"COMPORT", "number", "12"}},
              "; made by hand\n[Comport]\nnumber=12\n; keep me\nOther=x\n\n[Tool]\nA=1\n"},
             {"[Comport]\nNumber=1\n\n[Tool]\nA=1\n",
              {{"Comport", "quit_connecting", "0"}, {"Tool", "B", "2"}},
              "[Comport]\nNumber=1\nquit_connecting=0\n\n[Tool]\nA=1\nB=2\n"},
             {"[Tool]\nA=1",  // no line end on the last line
              {{"Form9", "Top", "10"}, {"Comport", "Number", "3"}, {"Form9", "Left", "20"}},
              "[Tool]\nA=1\n\n[Form9]\nTop=10\nLeft=20\n\n[Comport]\nNumber=3\n"},
             {"", {{"A", "k", "v"}, {"B", "k", "w"}}, "[A]\r\nk=v\r\n\r\n[B]\r\nk=w\r\n"},
             {windows, {{"Files", "Mbk_File", "b.MBK"}}, windows + "Mbk_File=b.MBK\r\n"}}) {
        IniFile ini = IniFile::from_bytes(c.before);
        for (const auto& [section, key, value] : c.sets)
            ini.set(section, key, value);
        EXPECT_EQ(ini.bytes(), c.after) << c.before;
    }
}

}  // namespace
}  // namespace qvt::startup
