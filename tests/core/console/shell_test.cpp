#include <gtest/gtest.h>

#include <filesystem>

#include "core/console/history_file.h"
#include "tests/core/console/console_rig.h"
#include "tests/support/posix_files.h"
#include "tests/support/scratch_dir.h"

namespace qvt::test {
namespace {

using console::Lamp;
using console::ListId;
using console::MenuItem;

bool enable_set_is(const console::MainShell& shell, bool on) {
    for (const auto& e : console::kMenuTable) {
        if (e.item == MenuItem::Exit1 || e.item == MenuItem::QUIT1) continue;
        if (shell.menu_enabled(e.item) != on) return false;
    }
    return true;
}

// The gate refuses with the first rule that holds. Only watch_mode changes
// what the ready and busy states do; term_mode and transfer_mode are the
// reasons they are entered, not inputs.
TEST(MainShell, GateAndReadyAndBusyStates) {
    const std::string w = "Can not Execute (Watch Mode)";
    const std::string t = "Can not Execute (Terminal Mode)";
    const std::string x = "Can not Execute (Transfer Mode)";
    // Flags watch, term, transfer (bits 1, 2, 4); the refusal without and with allow.
    const std::pair<std::string, std::string> refusals[8] = {{"", ""}, {w, ""}, {t, t}, {w, t},
                                                             {x, ""},  {w, ""}, {t, t}, {w, t}};
    for (int flags = 0; flags < 8; ++flags) {
        SCOPED_TRACE(flags);
        const bool watch = (flags & 1) != 0;
        ConsoleRig rig;
        auto& shell = rig.shell();
        rig.state.watch_mode = watch;
        rig.state.term_mode = (flags & 2) != 0;
        rig.state.transfer_mode = (flags & 4) != 0;
        for (const bool allow : {false, true}) {
            rig.dialogs.clear();
            const std::string& refusal = allow ? refusals[flags].second : refusals[flags].first;
            EXPECT_EQ(shell.Func_Check(allow), refusal.empty()) << allow;
            EXPECT_EQ(rig.dialogs.last_text(), refusal) << allow;
            EXPECT_LE(rig.dialogs.messages().size(), 1u);
        }

        shell.set_menu_enabled(MenuItem::QUIT1, true);
        shell.termmode_menu_disable();
        EXPECT_TRUE(enable_set_is(shell, false));
        EXPECT_TRUE(shell.menu_enabled(MenuItem::QUIT1));
        EXPECT_EQ(shell.pages_enabled(), watch);
        EXPECT_EQ(shell.lamp(), Lamp::Red);

        shell.termmode_menu_enable();
        EXPECT_TRUE(enable_set_is(shell, watch ? false : true));
        EXPECT_EQ(shell.lamp(), watch ? Lamp::Red : Lamp::Lime);
        EXPECT_TRUE(shell.pages_enabled());
    }
}

TEST(MainShell, MenuEnableOperationsTouchTheirEntriesOnlyAndTheGateGuardsThem) {
    ConsoleRig rig;
    auto& shell = rig.shell();
    shell.all_menu_en_ds(false);
    for (const auto& e : console::kMenuTable) {
        EXPECT_EQ(shell.menu_enabled(e.item), e.item == MenuItem::Exit1) << e.caption;
    }
    shell.menu_en_ds(true);  // the port's own entries only
    EXPECT_TRUE(shell.menu_enabled(MenuItem::RUN1));
    EXPECT_FALSE(shell.menu_enabled(MenuItem::Save1));
    // The busy state leaves Stop where it was: after a disconnect it stays off.
    shell.termmode_menu_enable();
    EXPECT_FALSE(shell.menu_enabled(MenuItem::QUIT1));

    // A gated entry is refused in terminal mode; Stop and the break point window are not gated.
    shell.all_menu_en_ds(true);
    rig.state.term_mode = 1;
    rig.console.menu.activate(MenuItem::Save1);
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Terminal Mode)");
    rig.console.menu.activate(MenuItem::QUIT1);
    EXPECT_EQ(rig.term.sent(), "\x01");
    rig.console.menu.activate(MenuItem::BreakPoint1);  // not gated
    EXPECT_EQ(rig.ops.calls, (std::vector<std::string>{"Break_Point(0)"}));
}

// ---- closing -------------------------------------------------------------------------------

TEST(MainShell, ReadsHistoriesAndWritesThemBackOnClose) {
    ScratchDir dir;
    const std::string exe = (dir.path() / "qvtw2k.exe").string();
    const auto path = [&](std::string_view ext) { return console::history_path(exe, ext); };
    dir.write("qvtw2k.cdh", "LIST 0 20\rRUN\nPRINT A\r\nVER");
    dir.write("qvtw2k.pth", "C:\\old.P2K\r\n");
    std::filesystem::create_directory(path(".flh"));  // cannot be read: told once, left alone
    ConsoleRig rig;
    auto& shell = rig.shell();
    int profile_saves = 0;
    int launcher_shows = 0;
    shell.hooks.save_profile = [&] { ++profile_saves; };
    shell.hooks.show_launcher_below_screen = [&] { ++launcher_shows; };
    shell.FormCreate(exe);
    shell.FormShow();
    EXPECT_EQ(shell.list(ListId::ListBox1).items(),
              (std::vector<std::string>{"LIST 0 20", "RUN", "PRINT A", "VER"}));
    EXPECT_EQ(shell.list(ListId::ListBox3).count(), 1);
    EXPECT_EQ(rig.dialogs.messages().size(), 1u);

    shell.list(ListId::ListBox1).clear();
    shell.list(ListId::ListBox3).clear();
    shell.list(ListId::ListBox2).set_items({"D:\\p.Q2K"});
    shell.list(ListId::ListBox4).set_items({"D:\\m.MBK"});
    shell.request_close();
    EXPECT_EQ(ScratchDir::read(path(".cdh")), "");                 // always written
    EXPECT_EQ(ScratchDir::read(path(".pth")), "C:\\old.P2K\r\n");  // empty list: old file kept
    EXPECT_EQ(ScratchDir::read(path(".mbh")), "D:\\m.MBK\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(path(".flh")));
    EXPECT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_TRUE(shell.closing());
    EXPECT_EQ(profile_saves, 1);
    EXPECT_EQ(launcher_shows, 1);

    // A second close saves the profile no more; a hidden window writes no history.
    shell.set_visible(false);
    shell.list(ListId::ListBox1).set_items({"NEW"});
    shell.FormCloseQuery();
    EXPECT_EQ(profile_saves, 1);
    EXPECT_EQ(launcher_shows, 2);
    EXPECT_EQ(ScratchDir::read(path(".cdh")), "");
}

// Files that cannot be read or written are checked with the window that
// reads and writes them. A pipe would block both; a write that fails part way
// (a file size limit fails writes as a full disk does) keeps the old file.
TEST(HistoryFile, APipeOrAFailedWriteLeavesTheFileAsItWas) {
    QVT_SKIP_UNLESS_POSIX_FILES("Pipes and file size limits");
    ScratchDir dir;
    const std::string fifo = (dir.path() / "qvtw2k.flh").string();
    ASSERT_TRUE(make_fifo(fifo));
    std::vector<std::string> entries{"stale"};
    EXPECT_TRUE(console::read_history_file(fifo, entries).has_value());
    EXPECT_TRUE(entries.empty());
    EXPECT_THROW(console::write_history_file(fifo, {"C:\\a.Q2K"}), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    const auto path = dir.write("qvtw2k.cdh", "OLD\r\n").string();
    {
        const FileSizeLimit limit(8);
        EXPECT_THROW(console::write_history_file(path, {std::string(100, 'x')}),
                     std::runtime_error);
    }
    EXPECT_EQ(ScratchDir::read(path), "OLD\r\n");
}

}  // namespace
}  // namespace qvt::test
