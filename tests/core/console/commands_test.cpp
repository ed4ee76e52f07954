#include <gtest/gtest.h>

#include "core/console/line_parse.h"
#include "core/console/virtual_keys.h"
#include "tests/core/console/console_rig.h"

namespace qvt::test {
namespace {

namespace vk = console::vk;
using console::Focus;
using console::Lamp;
using console::ListId;
using console::MenuItem;
using platform::MsgResult;
using platform::ShiftState;
using Strings = std::vector<std::string>;

constexpr ShiftState kNone{};
constexpr ShiftState kCtrl{false, true, false};

Strings history(ConsoleRig& rig) {
    return rig.shell().list(ListId::ListBox1).items();
}

// ---- Enter on a command line ----------------------------------------------------

TEST(Enter, CleansTheLineAndSendsItAsACommand) {
    struct Case {
        std::string screen_line;
        int bp_mode;
        std::string sent;
        Strings calls = {};
    };
    const Strings bp = {"Break_Point_Set_Controls"};
    for (const Case& c : std::vector<Case>{{"#LIST 0 20", 0, "LIST 0 20"},
                                           {"##PRINT A", 0, "PRINT A"},
                                           {"#PRINT A /* show A", 0, "PRINT A"},
                                           {"#  VER \t", 0, "VER"},
                                           {"0 A", 0, "0 A"},  // number zero is a command
                                           {"#", 0, ""},
                                           {"#?", 1, "", bp},
                                           {"#?", 0, "?"},
                                           {"#?PRINT A", 1, "PRINT A", bp},
                                           {"LOADX", 0, "LOADX"},  // not a local command
                                           {"#run 100", 0, "run 100"},
                                           {"#PRINT RUN", 0, "PRINT RUN"}}) {
        ConsoleRig rig;
        rig.state.bp_mode = static_cast<std::uint8_t>(c.bp_mode);
        rig.state.bp_hit = 1;  // a line that starts with RUN clears it
        rig.screen("junk above\r\n" + c.screen_line, 2, 3);
        SCOPED_TRACE(c.screen_line);
        EXPECT_EQ(rig.type(vk::kReturn), 0);
        EXPECT_EQ(rig.term.sent(), c.sent + "\r");
        EXPECT_EQ(history(rig), c.sent.empty() ? Strings{} : Strings{c.sent});
        EXPECT_EQ(rig.ops.calls, c.calls);
        EXPECT_EQ(rig.state.term_mode, 1);
        EXPECT_EQ(rig.state.echo_skip, 1);
        EXPECT_EQ(rig.shell().memo_text(), "\r\n[Ent]" + c.sent);
        EXPECT_EQ(rig.state.bp_hit, c.sent == "run 100" ? 0 : 1);
    }
}

TEST(Enter, AWatchRefusesTheLine) {
    ConsoleRig rig;
    rig.state.watch_mode = 1;
    rig.screen("#LIST", 1, 1);
    EXPECT_EQ(rig.type(vk::kReturn), 0);
    EXPECT_EQ(rig.dialogs.last_text(), "Stop the Variable Watch Timer");
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_TRUE(history(rig).empty());
}

TEST(Enter, NumberedLineGoesOutInTwoExchangesALocalCommandRunsHere) {
    ConsoleRig rig;
    std::vector<Millis> at;
    rig.term.set_line_responder([&](const std::string& line, Millis now) {
        at.push_back(now);
        rig.term.deliver_after(50, line + "\r\nok\r\n#");
    });
    rig.screen("#100 A=1", 1, 1);
    rig.type(vk::kReturn);
    EXPECT_EQ(rig.term.sent(), "100\r100 A=1\r");
    ASSERT_EQ(at.size(), 2u);
    EXPECT_GE(at[1], at[0] + 50 + 20);  // prompt, then the pause
    EXPECT_TRUE(history(rig).empty());
    EXPECT_EQ(rig.state.term_mode, 0);
    // The second reply is shown, the first discarded; then the window is ready.
    EXPECT_EQ(rig.term.disp_all().find("ok"), rig.term.disp_all().rfind("ok"));
    EXPECT_NE(rig.term.disp_all().find("\r\nok\r\n"), std::string::npos);
    EXPECT_EQ(rig.shell().lamp(), Lamp::Lime);

    // A local command runs here and stays in the history. The folder is typed
    // in Japanese: Shift-JIS on the terminal, UTF-8 as a file name.
    ConsoleRig local;
    local.screen("#load   /tmp/\x93\xfa\x96\x7b/new.Q2K ", 1, 1);
    local.type(vk::kReturn);
    EXPECT_EQ(local.ops.calls, Strings{"Load68k"});
    EXPECT_EQ(local.files.Prg_File, "/tmp/\xe6\x97\xa5\xe6\x9c\xac/new.Q2K");
    EXPECT_EQ(local.term.sent(), "");
    EXPECT_EQ(history(local), Strings{"load   /tmp/\x93\xfa\x96\x7b/new.Q2K"});
    EXPECT_EQ(local.state.term_mode, 0);
    EXPECT_EQ(local.term.CursorRow(), 2);  // a fresh line after the operation
}

// ---- the leading number and the local command table ----------------------------------

TEST(LineParse, LeadingNumber) {
    // X and hex digits is a variable's statement (XA=5), not a step number.
    const std::vector<std::pair<std::string, std::int64_t>> rows = {
        {"100 A=1", 100}, {"LIST", 0},  {"$1F", 31}, {"0x1f A", 31}, {"-5", -5},
        {"-5 A", 5},      {"12ab", 12}, {"$G1", 0},  {"XA=5", 0},    {"X32=0", 0}};
    for (const auto& [line, number] : rows)
        EXPECT_EQ(console::leading_number(line), number) << line;
}

TEST(LocalCommands, TableInOrder) {
    struct Case {
        std::string line;
        Strings calls;              // empty: not a local command
        std::string prg, pnt, mbk;  // file names after the command ("-": untouched)
    };
    const Strings ioc = {"HideBreakPointWindow", "CloseWatchWindowIfVisible", "ShowIOCheckerModal"};
    // The argument is cut at 255 characters from the blank after the word, then trimmed.
    const std::vector<Case> rows = {
        {"edit  a.Q2K ", {"Edit_Prg(0)"}, "a.Q2K", "-", "-"},
        {"EDITOR", {"Edit_Prg(0)"}, "OR", "-", "-"},
        {"PEDIT p.P2K", {"Edit_pnt(0)"}, "-", "p.P2K", "-"},
        {"LOAD b.Q2K", {"Load68k"}, "b.Q2K", "-", "-"},
        {"LOADX", {}, "-", "-", "-"},
        {"SAVEX", {"Save68k"}, "X", "-", "-"},
        {"SAVE " + std::string(300, 'f'), {"Save68k"}, std::string(254, 'f'), "-", "-"},
        {"msave e.MBK", {"MBKSave2000"}, "-", "-", "e.MBK"},
        {"ioc", ioc, "-", "-", "-"},
        {"IOC 1", {}, "-", "-", "-"},
        {"LIST", {}, "-", "-", "-"},
    };
    for (const auto& r : rows) {
        ConsoleRig rig;
        rig.prg_file = rig.pnt_file = rig.mbk_file = "-";
        EXPECT_EQ(rig.console.commands.QVTCommands(r.line), !r.calls.empty()) << r.line;
        EXPECT_EQ(rig.ops.calls, r.calls) << r.line;
        EXPECT_EQ(rig.files.Prg_File + " " + rig.files.Pnt_File + " " + rig.files.Mbk_File,
                  r.prg + " " + r.pnt + " " + r.mbk)
            << r.line;
    }
}

TEST(LocalCommands, IoCheckerHoldsTransferModeWhileOpen) {
    ConsoleRig rig;
    int transfer_seen = -1;
    rig.ops.during_io_checker = [&] { transfer_seen = rig.state.transfer_mode; };
    rig.console.menu.activate(MenuItem::IOC1);
    EXPECT_EQ(transfer_seen, 1);
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_TRUE(rig.shell().menu_enabled(MenuItem::Save1));
}

// ---- the command history ------------------------------------------------------------------

TEST(History, NoDuplicatesMostRecentFirstAtMostOneHundredAndOneDelRemoves) {
    ConsoleRig rig;
    for (const char* l : {"A", "B", "a", "A", ""})
        rig.console.commands.SetHistory(l);
    EXPECT_EQ(history(rig), (Strings{"A", "a", "B"}));

    Strings items;
    for (int i = 0; i < 101; ++i)
        items.push_back('C' + std::to_string(i));
    rig.shell().list(ListId::ListBox1).set_items(items);
    rig.console.commands.SetHistory("NEW");  // cut to 100, then the new one
    ASSERT_EQ(history(rig).size(), 101u);
    EXPECT_EQ(history(rig).front(), "NEW");
    EXPECT_EQ(history(rig).back(), "C99");
    // A line already present at the very end is cut before it could move up.
    rig.console.commands.SetHistory("C99");
    EXPECT_EQ(history(rig).size(), 101u);
    EXPECT_EQ(history(rig).front(), "C99");
    EXPECT_EQ(history(rig).back(), "C98");

    // Del removes the selection after confirming, Ctrl+Del all.
    auto& list = rig.shell().list(ListId::ListBox1);
    list.set_items({"A", "B", "C"});
    rig.shell().set_focus(Focus::ListBox1);
    list.set_current(1);
    list.set_selected(0, true);
    list.set_selected(1, true);
    rig.dialogs.push_answer(MsgResult::Cancel);
    for (int i = 0; i < 2; ++i) {  // cancelled, then confirmed
        int key = vk::kDelete;
        rig.console.commands.ListBox1KeyDown(key, kNone);
    }
    EXPECT_EQ(list.items(), Strings{"C"});
    EXPECT_TRUE(list.selected(list.current()));
    EXPECT_EQ(rig.shell().focus(), Focus::ListBox1);

    int key = vk::kDelete;
    rig.console.commands.ListBox1KeyDown(key, kCtrl);  // clears all
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(rig.shell().focus(), Focus::Terminal);
}

}  // namespace
}  // namespace qvt::test
