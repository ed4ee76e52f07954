// The desktop tools: the window switch and the reference lookup.
#include "core/desktop/window_switch.h"

#include <gtest/gtest.h>

#include "core/console/virtual_keys.h"
#include "core/desktop/web_reference.h"

namespace qvt::desktop {
namespace {

namespace vk = console::vk;
using platform::TopLevelWindow;
constexpr platform::ShiftState kAlt{false, false, true}, kNone{};

TopLevelWindow win(platform::WindowId id, std::string title, std::string exe,
                   std::vector<std::string> cmd = {}) {
    TopLevelWindow w;
    w.id = id;
    w.title = std::move(title);
    w.executable = std::move(exe);
    w.command_line = std::move(cmd);
    return w;
}

struct FakeDesktop : platform::Windows, WindowSwitchView {
    bool can_list() const override { return listable; }
    std::vector<TopLevelWindow> top_level_windows() override { return windows; }
    bool activate(platform::WindowId id) override {
        activated.push_back(id);
        return true;
    }
    void refresh() override {}
    void show_switch(const std::string&) override { shown = true; }
    void hide_switch() override { shown = false; }
    void focus_terminal() override { ++terminal_focused; }

    bool listable = true, shown = false;
    int terminal_focused = 0;
    std::vector<TopLevelWindow> windows;
    std::vector<platform::WindowId> activated;
};

TEST(WindowSwitchList, FamilyOnlyPaddedWithWineNamesAndFirstTitle) {
    TopLevelWindow owned = win(5, "Find", "qvtw2k");
    owned.has_owner = true;
    TopLevelWindow hidden = win(6, "Hidden", "kvbed");
    hidden.visible = false;
    const auto items = build_switch_list(
        {win(0x1a, "QVTW2K COM5", "qvtw2k"), win(2, "", "KVBED2K"), owned, hidden,
         win(3, "shell", "xterm"), win(4, "cell A", "bremo.exe"),
         win(7, "cell A", "wine64-preloader", {"C:\\Tools\\BREMO_TAC.EXE", "/x"}),
         win(8, "notes", "wine", {"notepad.exe"}), win(9, "ed", "", {"/opt/kvb/KVBED2K.exe"})});
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].caption, "qvtw2k       QVTW2K COM5");
    EXPECT_EQ(items[0].wnd, "$0000001A");
    EXPECT_EQ(items[1].caption, "bremo        cell A");
    EXPECT_EQ(items[1].image, 2);
    EXPECT_EQ(items[2].caption, "BREMO_TAC    cell A");
    EXPECT_EQ(items[2].first_hwnd, "4");
    EXPECT_EQ(items[2].image, 4);
    EXPECT_EQ(items[3].exe_name, "KVBED2K      ");
    EXPECT_EQ(padded_name("ABCDEFGHIJKLMN.EXE"), "ABCDEFGHIJKLMN");
}

TEST(WindowSwitch, OpensSelectsCyclesAndRaisesOnAltRelease) {
    FakeDesktop d;
    WindowSwitch sw(&d);
    sw.set_view(&d);
    d.windows = {win(1, "a", "QVTW2K"), win(2, "b", "KVBED"), win(3, "c", "WLX.EXE")};
    ASSERT_TRUE(sw.open_from_main(false));
    EXPECT_TRUE(d.shown && sw.switch_open());
    struct Step {
        int key;
        int selected;
    };
    for (const Step& s : {Step{vk::kRight, 2}, {vk::kRight, 0}, {vk::kLeft, 2}, {vk::kLeft, 1}}) {
        EXPECT_TRUE(sw.ListView1KeyDown(s.key, kAlt));
        EXPECT_EQ(sw.selected(), s.selected);
    }
    EXPECT_FALSE(sw.open_from_main(true));  // already open: rebuilt, nothing selected
    EXPECT_EQ(sw.selected(), -1);
    EXPECT_TRUE(sw.ListView1KeyDown(vk::kLeft, kAlt));
    EXPECT_TRUE(sw.ListView1KeyDown(vk::kEscape, kNone));
    EXPECT_EQ(d.terminal_focused, 1);
    sw.ListView1KeyUp(kAlt);
    EXPECT_TRUE(d.activated.empty());
    sw.ListView1KeyUp(kNone);
    EXPECT_FALSE(d.shown || sw.switch_open());
    EXPECT_EQ(d.activated, std::vector<platform::WindowId>{3});

    ASSERT_TRUE(sw.open_from_main(true));
    EXPECT_EQ(sw.selected(), 2);
    sw.ListView1KeyUp(kNone);
    d.windows = {win(1, "a", "QVTW2K")};
    ASSERT_TRUE(sw.open_from_main(false));
    EXPECT_EQ(sw.selected(), 0);
    sw.ListView1KeyUp(kNone);
    d.windows = {win(4, "x", "xterm")};
    EXPECT_FALSE(sw.open_from_main(false));
}

TEST(WindowSwitch, OlderTerminalRestoresItsTitledWindowFirst) {
    FakeDesktop d;
    WindowSwitch sw(&d);
    d.windows = {win(8, "QVT main", "other"), win(7, "QVT main", "QVTW32.EXE")};
    ASSERT_TRUE(sw.open_from_main(false));
    sw.ListView1KeyDown(vk::kReturn, kNone);
    EXPECT_EQ(d.activated, (std::vector<platform::WindowId>{8, 7}));
    EXPECT_TRUE(sw.switch_open());
}

// The word F1 looks up, read outwards from the cursor, and its address.
TEST(WebReference, WordUnderTheCursor) {
    const struct {
        const char* line;
        int column;
        const char* word;
    } cases[] = {
        {"#LIST 0 20", 3, "LIST"},  // prompt dropped, both halves joined
        {"PRINT A  B", 8, "A"},     // on a blank: the word to its left
        {"X=SIN(Y)", 4, "SIN"},     // the right scan stops at "("
        {"A=(B)C", 4, "B"},         // ... and at ")"
        {"A=(B)C", 6, "B)C"},       // the left scan stops at "(" but not at ")"
        {"IF A>B THEN", 6, "B"},    // ">" ends the word on the left only
        {"GOTO *L1#2", 7, "L1"},    // cut before a later "#"
        {"LIST", 5, "LIST"},        // just after the word
        {"##", 2, ""},              // prompts only
        {"LIST", 9, ""},            // beyond the line
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reference_word(c.line, c.column), c.word) << c.line << " @" << c.column;
    }
    EXPECT_EQ(reference_address("ref.test/", "A&B"),
              "https://ref.test/kvb2000/ref/index.php?dsp=jpn&srh=search&sl1=on&typ=and&wrd=A%26B");
}

}  // namespace
}  // namespace qvt::desktop
