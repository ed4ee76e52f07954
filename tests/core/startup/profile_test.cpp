// The profile and the INI file it is kept in.
#include "core/startup/profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "tests/support/scratch_dir.h"

namespace qvt::startup {
namespace {

const ProfileEnv kEnv{"/opt/qvt", false, 1920, 1080};

ProfileValues read(const std::string& text, ProfileValues values = {}) {
    std::string error;
    EXPECT_TRUE(GetProfile(IniFile::from_bytes(text), kEnv, values, error)) << error;
    return values;
}

// Missing or empty keys take their defaults: the watch window is centred on
// the screen; the editor follows the edition.
TEST(GetProfile, MissingOrEmptyKeysTakeTheirDefaults) {
    struct Case {
        ProfileEnv env;
        const char* text;
        WindowGeometry watch;
        const char* editor;
    };
    for (const auto& c : std::vector<Case>{
             {kEnv, "", {340, 660, 600, 400}, "/opt/qvt/kvbed2k"},
             {{"/opt/qvt", true, 1024, 768},
              "[Files]\nEditor=\n",
              {184, 212, 600, 400},
              "/opt/qvt/kvbed2ke"},
             {{"/opt/qvt", false, 599, 399}, "", {0, 0, 600, 400}, "/opt/qvt/kvbed2k"},
             {kEnv,
              "[Form9]\nTop=\nLeft=5\nHeight=\nWidth=300\n",
              {340, 5, 300, 400},
              "/opt/qvt/kvbed2k"}}) {
        ProfileValues v;
        std::string error;
        ASSERT_TRUE(GetProfile(IniFile::from_bytes(c.text), c.env, v, error)) << error;
        EXPECT_EQ(v.watch_window, c.watch) << c.text;
        EXPECT_EQ(std::filesystem::path(v.editor), std::filesystem::path(c.editor)) << c.text;
    }
}

TEST(GetProfile, WatchBoxesAreOnlyTickedAndTheListIsAppendedTo) {
    ProfileValues before;
    before.watch_boxes = {true, false, true, false};
    before.watch_list = {"OLD"};
    const ProfileValues v = read(
        "[Watch]\nCheckBox1=0\nCheckBox2=1\nCheckBox3=yes\nCheckBox4=1\n"
        "ComboBox1=250\nComboBox2=A(1)\nRadioGroup1=2\n0=X\n1=\n2=Y\n9=Z\n",
        before);
    EXPECT_EQ(v.watch_boxes, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(v.watch_interval, "250");
    EXPECT_EQ(v.watch_variable, "A(1)");
    EXPECT_EQ(v.watch_print_index, 2);
    EXPECT_EQ(v.watch_list, (std::vector<std::string>{"OLD", "X", "Y", "Z"}));
}

// A bad integer takes its key's default; the message names the key, every
// other key is read, and the close writes the default in place of the bad value.
struct BadIntegerCase {
    const char *section, *key, *value, *fallback;
};

TEST(GetProfile, BadIntegerTakesTheDefaultAndTheRestIsRead) {
    const IniFile good = IniFile::from_bytes(
        "[Form3]\nTop=1\nLeft=2\nWidth=700\nHeight=500\n"
        "[Form9]\nTop=3\nLeft=4\nHeight=300\nWidth=200\n[Comport]\nNumber=5\n"
        "[Files]\nEditor=/e/ed\nPrg_File=/p/a.Q2K\n[Edit]\nime_enabled=1\n"
        "[Watch]\nRadioGroup1=2\n0=V\n[BaudRate]\nRadioGroup_Baud=1\n[Debug]\nqvt_debug=1\n");
    for (const auto& c : std::vector<BadIntegerCase>{{"Form3", "Width", "abc", "600"},
                                                     {"Form3", "Top", "", "0"},
                                                     {"Form9", "Height", "4OO", "400"},
                                                     {"Watch", "RadioGroup1", "1.5", "0"},
                                                     {"BaudRate", "RadioGroup_Baud", "x", "0"}}) {
        IniFile ini = good;
        ini.set(c.section, c.key, c.value);
        ProfileValues v;
        std::string error;
        EXPECT_FALSE(GetProfile(ini, kEnv, v, error));
        EXPECT_EQ(error, "[" + std::string(c.section) + "] " + c.key + ": '" + c.value +
                             "' is not a valid integer value; " + c.fallback + " is used instead.");
        EXPECT_EQ(v.port_number, "5") << c.key;
        EXPECT_EQ(v.editor, "/e/ed") << c.key;
        EXPECT_EQ(v.prg_file, "/p/a.Q2K") << c.key;
        EXPECT_EQ(v.ime_enabled, "1") << c.key;
        EXPECT_EQ(v.watch_list, std::vector<std::string>{"V"}) << c.key;
        EXPECT_EQ(v.qvt_debug, "1") << c.key;
        // The default reached the window or field it belongs to, and the close
        // writes it, whether or not the main window is showing.
        for (const bool visible : {false, true}) {
            IniFile out = ini;
            ProfileValues written = v;
            WriteProfile(out, written, visible);
            EXPECT_EQ(out.get(c.section, c.key, ""), c.fallback) << c.key << visible;
            EXPECT_EQ(out.get("Files", "Prg_File", ""), "/p/a.Q2K");
        }
    }
    IniFile two = good;
    two.set("Form3", "Top", "a");
    two.set("Watch", "RadioGroup1", "b");
    ProfileValues v;
    std::string error;
    EXPECT_FALSE(GetProfile(two, kEnv, v, error));
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << "one message, a line per key";
}

TEST(Integer, AcceptsDecimalAndHexOnly) {
    struct Case {
        const char* text;
        std::optional<int> value;
    };
    for (const auto& c : std::vector<Case>{{"0", 0},
                                           {"-12", -12},
                                           {"+7", 7},
                                           {"  42", 42},
                                           {"$1F", 31},
                                           {"0x10", 16},
                                           {"42 ", std::nullopt},
                                           {"", std::nullopt},
                                           {"-", std::nullopt},
                                           {"2147483648", std::nullopt},
                                           {"-2147483648", -2147483647 - 1}}) {
        EXPECT_EQ(to_integer(c.text), c.value) << c.text;
    }
}

ProfileValues sample_values() {
    ProfileValues v;
    v.main_window = {10, 20, 800, 600};
    v.panel2_height = 120;
    v.watch_window = {30, 40, 500, 350};
    v.launcher_port_field = "12";
    v.quit_connecting = "0";
    v.editor = "/opt/qvt/kvbed2k";
    v.editor1 = "/usr/bin/xdg-open";
    v.prg_file = "/home/u/a.Q2K";
    v.ime_enabled = "1";
    v.watch_boxes = {true, false, false, true};
    v.watch_variable = "A";
    v.watch_interval = "500";
    v.watch_print_index = 1;
    v.watch_list = {"A", "B(2)", "C"};
    v.baud_index = 1;
    v.qvt_debug = "0";
    return v;
}

TEST(WriteProfile, NewFileHasEveryKeyInTableOrderAndAHiddenWindowKeepsForm3) {
    IniFile ini;
    ProfileValues v = sample_values();
    WriteProfile(ini, v, true);
    EXPECT_EQ(ini.bytes(),
              "[Form3]\r\nTop=10\r\nLeft=20\r\nWidth=800\r\nHeight=600\r\nPanel2Top=120\r\n\r\n"
              "[Form9]\r\nTop=30\r\nLeft=40\r\nWidth=500\r\nHeight=350\r\n\r\n"
              "[Comport]\r\nNumber=12\r\nquit_connecting=0\r\n\r\n"
              "[Files]\r\nEditor=/opt/qvt/kvbed2k\r\nEditor1=/usr/bin/xdg-open\r\n"
              "Prg_File=/home/u/a.Q2K\r\nPnt_File=\r\nMbk_File=\r\n\r\n"
              "[Edit]\r\nime_enabled=1\r\n\r\n"
              "[Watch]\r\nCheckBox1=1\r\nCheckBox2=0\r\nCheckBox3=0\r\nCheckBox4=1\r\n"
              "ComboBox2=A\r\nComboBox1=500\r\nRadioGroup1=1\r\n"
              "0=A\r\n1=B(2)\r\n2=C\r\n3=\r\n4=\r\n5=\r\n6=\r\n7=\r\n8=\r\n9=\r\n\r\n"
              "[BaudRate]\r\nRadioGroup_Baud=1\r\n\r\n"
              "[Debug]\r\nqvt_debug=0\r\n");
    EXPECT_EQ(v.form3_top, "10");
    EXPECT_EQ(v.form3_height, "600");

    // A hidden main window keeps [Form3] as it was, and other programs' keys stay.
    const std::string before =
        "; other tool\r\n[Form3]\r\nTop=5\r\nLeft=6\r\nWidth=700\r\nHeight=500\r\nPanel2Top=80\r\n"
        "\r\n[Files]\r\nEditor=C:\\QVTW\\KvbEd2K.EXE\r\nLastDir=C:\\\x83\x76\x83\x8d\r\n"
        "\r\n[Monitor]\r\nPort=3\r\n";
    IniFile old = IniFile::from_bytes(before);
    ProfileValues hidden = read(before);
    hidden.main_window = {1, 2, 3, 4};
    WriteProfile(old, hidden, false);
    EXPECT_EQ(hidden.form3_top, "5");
    const std::string after = old.bytes();
    EXPECT_NE(
        after.find("[Form3]\r\nTop=5\r\nLeft=6\r\nWidth=700\r\nHeight=500\r\nPanel2Top=80\r\n"),
        std::string::npos);
    EXPECT_NE(after.find("Editor=C:\\QVTW\\KvbEd2K.EXE\r\nLastDir=C:\\\x83\x76\x83\x8d\r\n"),
              std::string::npos);
    EXPECT_EQ(after.find("\n\n"), std::string::npos) << "a line end other than CR LF crept in";
}

// A missing profile reads as defaults; one that cannot be read is never overwritten.
TEST(ProfileFile, WritesCreateTheFolderButNeverReplaceAnUnreadableProfile) {
    test::ScratchDir dir;
    const std::filesystem::path path = dir.path() / "cfg" / "qvtw2k.INI";
    ProfileValues written = sample_values();
    EXPECT_EQ(write_profile_file(path, written, true), std::nullopt);
    ProfileValues back;
    EXPECT_EQ(read_profile_file(path, kEnv, back), std::nullopt);
    EXPECT_EQ(back.prg_file, "/home/u/a.Q2K");
    const auto folder = dir.mkdir("qvtw2k.INI");  // exists, but no file to read
    // Beyond the size of any profile: reading it whole would cost memory and time.
    const auto huge = dir.write("huge.INI", std::string(IniFile::kMaxBytes + 1, '\n'));
    for (const auto& unreadable :
         std::vector<std::filesystem::path>{dir.path() / "none.INI", folder, huge}) {
        ProfileValues v;
        EXPECT_EQ(read_profile_file(unreadable, kEnv, v), std::nullopt);
        EXPECT_EQ(v.port_number, "1");
        if (unreadable == dir.path() / "none.INI") continue;
        v = sample_values();
        const auto error = write_profile_file(unreadable, v, true);
        ASSERT_TRUE(error.has_value());
        EXPECT_NE(error->find("not saved"), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::file_size(huge), IniFile::kMaxBytes + 1);
}

TEST(ProfileLocation, FollowsHomeThenExecutableThenConfig) {
    const platform::UserFolder chosen{"/tmp/qh", true};
    const platform::UserFolder config{"/home/u/.config/qvtw2k", false};
    struct Case {
        platform::UserFolder user;
        bool writable;
        const char* folder;
    };
    for (const auto& c : std::vector<Case>{{chosen, true, "/tmp/qh"},
                                           {chosen, false, "/tmp/qh"},
                                           {config, true, "/opt/qvt"},
                                           {config, false, "/home/u/.config/qvtw2k"}}) {
        const auto loc = resolve_profile_location("/opt/qvt/qvtw2k", c.user, c.writable);
        const std::filesystem::path folder = c.folder;
        EXPECT_EQ(loc.profile, folder / "qvtw2k.INI");
        EXPECT_EQ(loc.mbk_files, folder / "qvtw2k.mbh");
    }
    EXPECT_EQ(resolve_profile_location("/w/QVTW2KE.EXE", config, true).profile, "/w/QVTW2KE.INI");
}

// The INI file under the profile.
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
