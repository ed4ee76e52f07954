#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/console/history_file.h"
#include "tests/core/console/console_rig.h"
#include "tests/core/startup/temp_dir.h"

namespace qvt::test {
namespace {

using console::Focus;
using console::Lamp;
using console::ListId;
using console::MenuItem;
using console::Page;

bool enable_set_is(const console::MainShell& shell, bool on) {
    for (const auto& e : console::kMenuTable) {
        if (e.item == MenuItem::Exit1 || e.item == MenuItem::QUIT1) continue;
        if (shell.menu_enabled(e.item) != on) return false;
    }
    return true;
}

// ---- the gate ------------------------------------------------------------------

struct GateCase {
    int watch, term, transfer;
    bool allow;
    const char* refusal;  // nullptr: passes
};

class GateTest : public ::testing::TestWithParam<GateCase> {};

TEST_P(GateTest, RefusesWithTheFirstRuleThatHolds) {
    const GateCase& c = GetParam();
    ConsoleRig rig;
    rig.state.watch_mode = static_cast<std::uint8_t>(c.watch);
    rig.state.term_mode = static_cast<std::uint8_t>(c.term);
    rig.state.transfer_mode = static_cast<std::uint8_t>(c.transfer);
    const bool passed = rig.shell().Func_Check(c.allow);
    EXPECT_EQ(passed, c.refusal == nullptr);
    if (c.refusal == nullptr) {
        EXPECT_TRUE(rig.dialogs.messages().empty());
    } else {
        ASSERT_EQ(rig.dialogs.messages().size(), 1u);
        EXPECT_EQ(rig.dialogs.messages()[0].text, c.refusal);
        EXPECT_EQ(rig.dialogs.messages()[0].caption, "QVTW2K");
        EXPECT_EQ(rig.dialogs.messages()[0].buttons, platform::MsgButtons::Ok);
    }
}

constexpr const char* kW = "Can not Execute (Watch Mode)";
constexpr const char* kT = "Can not Execute (Terminal Mode)";
constexpr const char* kX = "Can not Execute (Transfer Mode)";

INSTANTIATE_TEST_SUITE_P(
    AllFlagCombinations, GateTest,
    ::testing::Values(GateCase{0, 0, 0, false, nullptr}, GateCase{0, 0, 0, true, nullptr},
                      GateCase{1, 0, 0, false, kW}, GateCase{1, 0, 0, true, nullptr},
                      GateCase{0, 1, 0, false, kT}, GateCase{0, 1, 0, true, kT},
                      GateCase{0, 0, 1, false, kX}, GateCase{0, 0, 1, true, nullptr},
                      GateCase{1, 1, 0, false, kW}, GateCase{1, 1, 0, true, kT},
                      GateCase{1, 0, 1, false, kW}, GateCase{1, 0, 1, true, nullptr},
                      GateCase{0, 1, 1, false, kT}, GateCase{0, 1, 1, true, kT},
                      GateCase{1, 1, 1, false, kW}, GateCase{1, 1, 1, true, kT}));

// ---- ready and busy ----------------------------------------------------------------

class ReadyBusyTest : public ::testing::TestWithParam<int> {};

// Only watch_mode changes what the ready and busy states do; term_mode and
// transfer_mode are the reasons they are entered, not inputs.
TEST_P(ReadyBusyTest, FollowWatchModeOnly) {
    const int flags = GetParam();
    const bool watch = (flags & 1) != 0;
    ConsoleRig rig;
    auto& shell = rig.shell();
    rig.state.watch_mode = watch;
    rig.state.term_mode = (flags & 2) != 0;
    rig.state.transfer_mode = (flags & 4) != 0;

    shell.set_menu_enabled(MenuItem::QUIT1, true);
    shell.termmode_menu_disable();
    EXPECT_TRUE(enable_set_is(shell, false));
    EXPECT_TRUE(shell.menu_enabled(MenuItem::QUIT1));
    EXPECT_TRUE(shell.menu_enabled(MenuItem::Exit1));
    EXPECT_EQ(shell.pages_enabled(), watch);
    EXPECT_EQ(shell.lamp(), Lamp::Red);
    EXPECT_EQ(shell.status_text(3), "");

    shell.termmode_menu_enable();
    EXPECT_TRUE(enable_set_is(shell, watch ? false : true));
    EXPECT_EQ(shell.lamp(), watch ? Lamp::Red : Lamp::Lime);
    EXPECT_EQ(shell.status_text(3), watch ? "" : std::string(console::kHintReady));
    EXPECT_TRUE(shell.pages_enabled());
}

INSTANTIATE_TEST_SUITE_P(AllFlagCombinations, ReadyBusyTest, ::testing::Range(0, 8));

TEST(MainShell, MenuEnableOperationsTouchTheirEntriesOnly) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    shell.all_menu_en_ds(false);
    for (const auto& e : console::kMenuTable) {
        EXPECT_EQ(shell.menu_enabled(e.item), e.item == MenuItem::Exit1) << e.caption;
    }
    shell.menu_en_ds(true);
    for (const auto& e : console::kMenuTable) {
        const bool port_entry = e.item == MenuItem::Load1 || e.item == MenuItem::ScreenClear1 ||
                                e.item == MenuItem::LIST2 || e.item == MenuItem::RUN1;
        EXPECT_EQ(shell.menu_enabled(e.item), port_entry || e.item == MenuItem::Exit1) << e.caption;
    }
    // The busy state leaves Stop where it was: after a disconnect it stays off.
    shell.termmode_menu_enable();
    EXPECT_FALSE(shell.menu_enabled(MenuItem::QUIT1));
}

TEST(MainShell, CreationDisablesThePortEntriesAndHidesDisconnect) {
    LinkRig link;
    console::Operations ops{link.dialogs};
    FakeClipboard clip;
    std::string prg, pnt, mbk;
    console::FileNames files{prg, pnt, mbk};
    const std::string ime = "1";
    console::Console c(
        {link.state, link.term, link.pump, link.dialogs, clip, link.dialogue, ops, files, ime});
    c.shell.FormCreate("/nonexistent/dir/qvtw2k");
    EXPECT_FALSE(c.shell.menu_enabled(MenuItem::Load1));
    EXPECT_FALSE(c.shell.menu_enabled(MenuItem::RUN1));
    EXPECT_TRUE(c.shell.menu_enabled(MenuItem::Save1));
    EXPECT_FALSE(c.shell.menu_visible(MenuItem::Disconnect1));
    EXPECT_EQ(c.shell.current_page(), Page::TabSheet1);
    EXPECT_TRUE(c.shell.list(ListId::ListBox1).empty());
}

// ---- gated menu entries --------------------------------------------------------------

TEST(MenuActions, GatedEntryRefusedInTerminalModeButStopWorks) {
    ConsoleRig rig;
    rig.state.term_mode = 1;
    rig.console.menu.activate(MenuItem::Save1);
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Terminal Mode)");
    EXPECT_TRUE(rig.ops.calls.empty());
    EXPECT_EQ(rig.shell().focus(), Focus::Terminal);

    rig.console.menu.activate(MenuItem::QUIT1);
    EXPECT_EQ(rig.term.sent(), "\x01");
    rig.console.menu.activate(MenuItem::BreakPoint1);  // not gated
    EXPECT_EQ(rig.ops.calls, (std::vector<std::string>{"Break_Point(0)"}));
}

TEST(MenuActions, ListAndRunEnterTheirCommand) {
    ConsoleRig rig;
    rig.console.menu.activate(MenuItem::LIST2);
    EXPECT_EQ(rig.term.sent(), "LIST\r");
    EXPECT_EQ(rig.state.term_mode, 1);
}

// ---- pages and lists ---------------------------------------------------------------------

TEST(MainShell, PageChangeRefusedInTerminalModeAllowedDuringTransferAndWatch) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    rig.state.term_mode = 1;
    EXPECT_FALSE(shell.PageControl1Changing(Page::TabSheet3));
    EXPECT_EQ(shell.current_page(), Page::TabSheet1);
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Terminal Mode)");
    rig.state.term_mode = 0;
    rig.state.transfer_mode = 1;
    EXPECT_TRUE(shell.PageControl1Changing(Page::TabSheet3));
    rig.state.transfer_mode = 0;
    rig.state.watch_mode = 1;
    EXPECT_TRUE(shell.PageControl1Changing(Page::TabSheet6));
    EXPECT_EQ(shell.current_page(), Page::TabSheet6);
    EXPECT_EQ(rig.dialogs.messages().size(), 1u);
}

TEST(MainShell, EnteringAndLeavingAHistoryList) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    shell.list(ListId::ListBox1).set_items({"LIST", "RUN"});
    shell.PageControl1MouseDown();  // page "Command (F3)" shows
    EXPECT_EQ(shell.focus(), Focus::ListBox1);
    EXPECT_EQ(shell.highlighted_page(), Page::TabSheet1);
    EXPECT_EQ(shell.list(ListId::ListBox1).current(), 0);
    EXPECT_TRUE(shell.list(ListId::ListBox1).selected(0));
    EXPECT_EQ(shell.lamp(), Lamp::Grey);
    EXPECT_EQ(shell.status_text(3), console::kHintCommandHistory);

    shell.focus_terminal();
    EXPECT_EQ(shell.list(ListId::ListBox1).current(), -1);
    EXPECT_TRUE(shell.list(ListId::ListBox1).selected_indices().empty());
    EXPECT_EQ(shell.lamp(), Lamp::Lime);
    EXPECT_EQ(shell.status_text(3), console::kHintReady);
    EXPECT_FALSE(shell.highlighted_page().has_value());
}

TEST(MainShell, EmptyListsRefuseTheFocus) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    shell.set_focus(Focus::ListBox1);  // port open, nothing to show
    EXPECT_EQ(shell.focus(), Focus::Terminal);
    shell.set_focus(Focus::ListBox3);
    EXPECT_EQ(shell.focus(), Focus::Terminal);
    rig.term.set_PortOpen(false);
    shell.set_focus(Focus::ListBox1);  // without a port the history can be looked at
    EXPECT_EQ(shell.focus(), Focus::ListBox1);
    EXPECT_TRUE(rig.dialogs.messages().empty());
}

TEST(MainShell, LabelListTakesTheFocusWithoutGateAndKeepsItsSelection) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    shell.labels().set_rows({{"*START", "10"}, {"*LOOP", "20"}});
    shell.show_page(Page::TabSheet4);
    shell.PageControl1MouseDown();
    EXPECT_EQ(shell.focus(), Focus::ListView1);
    EXPECT_EQ(shell.labels().selected(), 0);
    EXPECT_EQ(shell.status_text(3), console::kHintLabelList);
    shell.labels().set_selected(1);
    shell.focus_terminal();
    EXPECT_EQ(shell.labels().selected(), 1);
    EXPECT_EQ(shell.lamp(), Lamp::Lime);
}

TEST(MainShell, DuringAWatchReturningToTheTerminalChangesNothing) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    shell.list(ListId::ListBox2).set_items({"/p/a.Q2K"});
    rig.state.watch_mode = 1;
    shell.set_focus(Focus::ListBox2);
    ASSERT_EQ(shell.focus(), Focus::ListBox2);
    shell.focus_terminal();
    EXPECT_EQ(shell.lamp(), Lamp::Grey);
    EXPECT_EQ(shell.status_text(3), console::kHintFileHistory);
}

TEST(MainShell, TerminalPaneHeightSetsScrollRows) {
    ConsoleRig rig;
    rig.shell().Panel3Resize(640, 360);
    EXPECT_EQ(rig.term.ScrollRows(), 20);
    rig.shell().Panel3Resize(640, 197);
    EXPECT_EQ(rig.term.ScrollRows(), 10);
}

TEST(MainShell, RxChunkAndDebugButton) {
    ConsoleRig rig;
    rig.shell().show_rx_chunk(137);
    EXPECT_EQ(rig.shell().status_text(2), "137");
    rig.state.max_rx_chunk = 137;
    rig.shell().Button1Click();
    EXPECT_EQ(rig.state.max_rx_chunk, 0);
    rig.shell().apply_debug_switch(false);
    EXPECT_EQ(rig.shell().status_width(2), 0);
    EXPECT_FALSE(rig.shell().page_tab_visible(Page::TabSheet2));
}

// ---- closing -------------------------------------------------------------------------------

class ClosingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qvt_console_close_" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        exe_ = (dir_ / "qvtw2k.exe").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string path(std::string_view ext) { return console::history_path(exe_, ext); }
    static std::string slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const std::string& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::filesystem::path dir_;
    std::string exe_;
};

TEST_F(ClosingTest, ReadsHistoriesAndWritesThemBackOnClose) {
    put(path(".cdh"), "LIST 0 20\rRUN\nPRINT A\r\nVER");
    put(path(".flh"), "C:\\a.Q2K\r\n");
    put(path(".pth"), "C:\\old.P2K\r\n");
    ConsoleRig rig;
    auto& shell = rig.shell();
    int profile_saves = 0;
    int launcher_shows = 0;
    shell.hooks.save_profile = [&] { ++profile_saves; };
    shell.hooks.show_launcher_below_screen = [&] { ++launcher_shows; };
    shell.FormCreate(exe_);
    shell.FormShow();
    EXPECT_EQ(shell.list(ListId::ListBox1).items(),
              (std::vector<std::string>{"LIST 0 20", "RUN", "PRINT A", "VER"}));
    EXPECT_EQ(shell.list(ListId::ListBox3).count(), 1);

    shell.list(ListId::ListBox1).clear();
    shell.list(ListId::ListBox3).clear();
    shell.list(ListId::ListBox4).set_items({"D:\\m.MBK"});
    shell.request_close();
    EXPECT_EQ(slurp(path(".cdh")), "");                 // always written
    EXPECT_EQ(slurp(path(".flh")), "C:\\a.Q2K\r\n");    // rewritten
    EXPECT_EQ(slurp(path(".pth")), "C:\\old.P2K\r\n");  // empty list: old file kept
    EXPECT_EQ(slurp(path(".mbh")), "D:\\m.MBK\r\n");
    EXPECT_TRUE(shell.closing());
    EXPECT_EQ(profile_saves, 1);
    EXPECT_EQ(launcher_shows, 1);

    // A second close saves the profile no more; a hidden window writes no history.
    shell.set_visible(false);
    shell.list(ListId::ListBox1).set_items({"NEW"});
    shell.FormCloseQuery();
    EXPECT_EQ(profile_saves, 1);
    EXPECT_EQ(launcher_shows, 2);
    EXPECT_EQ(slurp(path(".cdh")), "");
}

TEST(HistoryFile, SplitsAtAnyLineEnd) {
    using console::split_history_lines;
    EXPECT_EQ(split_history_lines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(split_history_lines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split_history_lines(""), std::vector<std::string>{});
    EXPECT_EQ(split_history_lines("\x82\xa0\r\n"), std::vector<std::string>{"\x82\xa0"});
}

// What cannot be read starts its list empty, is reported, and is there as it
// was after the close; a write that fails part way leaves the old file whole.
TEST(HistoryFile, WhatCannotBeReadOrWrittenStaysAsItWas) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        bool readable;
    };
    const Case cases[] = {
        {"missing", [](const std::string&) {}, true},
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, false},
        {"fifo", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); }, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = (dir.path() / "qvtw2k.flh").string();
        c.make(path);
        const auto type = std::filesystem::symlink_status(path).type();
        std::vector<std::string> entries{"stale"};
        const auto error = console::read_history_file(path, entries);
        EXPECT_EQ(error.has_value(), !c.readable) << c.name;
        EXPECT_TRUE(entries.empty()) << c.name;
        if (c.readable) {
            console::write_history_file(path, {"C:\\a.Q2K"});
            EXPECT_EQ(read_bytes(path), "C:\\a.Q2K\r\n") << c.name;
        } else {
            EXPECT_THROW(console::write_history_file(path, {"C:\\a.Q2K"}), std::runtime_error)
                << c.name;
            EXPECT_EQ(std::filesystem::symlink_status(path).type(), type) << c.name;
        }
    }

    // A file size limit fails writes as a full disk does.
    TempDir dir;
    const auto path = dir.write("qvtw2k.cdh", "OLD\r\n").string();
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(console::write_history_file(path, {std::string(100, 'x')}), std::runtime_error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(read_bytes(path), "OLD\r\n");
}

}  // namespace
}  // namespace qvt::test
