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

constexpr ShiftState kNone{};
constexpr ShiftState kCtrl{false, true, false};

std::vector<std::string> history(ConsoleRig& rig) {
    return rig.shell().list(ListId::ListBox1).items();
}

// ---- Enter on a command line ----------------------------------------------------

struct EnterCase {
    const char* name;
    std::string screen_line;
    int bp_mode = 0;
    std::string sent;
    std::vector<std::string> history;
    std::vector<std::string> calls = {};
};

class EnterTest : public ::testing::TestWithParam<EnterCase> {};

TEST_P(EnterTest, CleansTheLineAndSendsItAsACommand) {
    const EnterCase& c = GetParam();
    ConsoleRig rig;
    rig.state.bp_mode = static_cast<std::uint8_t>(c.bp_mode);
    rig.state.max_rx_chunk = 9;
    rig.screen("junk above\r\n" + c.screen_line, 2, 3);
    EXPECT_EQ(rig.type(vk::kReturn), 0);
    EXPECT_EQ(rig.term.sent(), c.sent);
    EXPECT_EQ(history(rig), c.history);
    EXPECT_EQ(rig.ops.calls, c.calls);
    EXPECT_EQ(rig.state.term_mode, 1);
    EXPECT_EQ(rig.state.echo_skip, 1);
    EXPECT_EQ(rig.state.max_rx_chunk, 0);
    const std::string line = c.sent.substr(0, c.sent.size() - 1);
    EXPECT_EQ(rig.shell().memo_text(), "\r\n[Ent]" + line);
    EXPECT_FALSE(rig.shell().menu_enabled(MenuItem::Save1));
    EXPECT_TRUE(rig.shell().menu_enabled(MenuItem::QUIT1));
    EXPECT_EQ(rig.shell().lamp(), Lamp::Red);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EnterTest,
    ::testing::Values(EnterCase{"prompt", "#LIST 0 20", 0, "LIST 0 20\r", {"LIST 0 20"}},
                      EnterCase{"two_prompts", "##PRINT A", 0, "PRINT A\r", {"PRINT A"}},
                      EnterCase{"remark", "#PRINT A /* show A", 0, "PRINT A\r", {"PRINT A"}},
                      EnterCase{"blanks_and_controls", "#  VER \t", 0, "VER\r", {"VER"}},
                      EnterCase{"number_zero_is_a_command", "0 A", 0, "0 A\r", {"0 A"}},
                      EnterCase{"bare_prompt", "#", 0, "\r", {}},
                      EnterCase{
                          "break_prompt_question", "#?", 1, "\r", {}, {"Break_Point_Set_Controls"}},
                      EnterCase{"question_outside_break", "#?", 0, "?\r", {"?"}},
                      EnterCase{"break_prompt_command",
                                "#?PRINT A",
                                1,
                                "PRINT A\r",
                                {"PRINT A"},
                                {"Break_Point_Set_Controls"}},
                      EnterCase{"not_a_local_command", "LOADX", 0, "LOADX\r", {"LOADX"}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Enter, RunClearsTheBreakHit) {
    ConsoleRig rig;
    rig.state.bp_hit = 1;
    rig.screen("#run 100", 1, 1);
    rig.type(vk::kReturn);
    EXPECT_EQ(rig.state.bp_hit, 0);
    ConsoleRig other;
    other.state.bp_hit = 1;
    other.screen("#PRINT RUN", 1, 1);
    other.type(vk::kReturn);
    EXPECT_EQ(other.state.bp_hit, 1);
}

TEST(Enter, RefusedWhileAWatchRuns) {
    ConsoleRig rig;
    rig.state.watch_mode = 1;
    rig.screen("#LIST", 1, 1);
    EXPECT_EQ(rig.type(vk::kReturn), 0);
    EXPECT_EQ(rig.dialogs.last_text(), "Stop the Variable Watch Timer");
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_TRUE(history(rig).empty());
    EXPECT_EQ(rig.state.term_mode, 0);
}

TEST(Enter, NumberedLineGoesOutInTwoExchangesWithoutTerminalMode) {
    ConsoleRig rig;
    std::vector<std::pair<std::string, Millis>> lines;
    rig.term.set_line_responder([&](const std::string& line, Millis now) {
        lines.emplace_back(line, now);
        rig.term.deliver_after(50, line + "\r\nok\r\n#");
    });
    rig.shell().list(ListId::ListBox1).set_items({"VER"});
    rig.screen("#100 A=1", 1, 1);
    rig.type(vk::kReturn);

    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first, "100");
    EXPECT_EQ(lines[1].first, "100 A=1");
    EXPECT_GE(lines[1].second, lines[0].second + 50 + 20);  // prompt, then the pause
    EXPECT_EQ(history(rig), std::vector<std::string>{"VER"});
    EXPECT_EQ(rig.state.term_mode, 0);
    // The second reply is shown, the first discarded; then the window is ready.
    EXPECT_EQ(rig.term.disp_all().find("ok"), rig.term.disp_all().rfind("ok"));
    EXPECT_NE(rig.term.disp_all().find("\r\nok\r\n"), std::string::npos);
    EXPECT_EQ(rig.shell().lamp(), Lamp::Lime);
    EXPECT_TRUE(rig.shell().menu_enabled(MenuItem::Save1));
    EXPECT_EQ(rig.shell().memo_text(), "\r\n[Ent]100 A=1");
}

TEST(Enter, HexadecimalStepNumberIsSentInDecimal) {
    ConsoleRig rig;
    rig.answer_with_prompt();
    rig.screen("$1F PRINT 1", 1, 1);
    rig.type(vk::kReturn);
    EXPECT_EQ(rig.term.sent(), "31\r$1F PRINT 1\r");
}

TEST(Enter, LocalCommandRunsHereAndStaysInTheHistory) {
    ConsoleRig rig;
    rig.files.Prg_File = "old.Q2K";
    // A folder typed in Japanese: Shift-JIS on the terminal, UTF-8 as a file name.
    rig.screen("#load   /tmp/\x93\xfa\x96\x7b/new.Q2K ", 1, 1);
    rig.type(vk::kReturn);
    EXPECT_EQ(rig.ops.calls, std::vector<std::string>{"Load68k"});
    EXPECT_EQ(rig.files.Prg_File, "/tmp/\xe6\x97\xa5\xe6\x9c\xac/new.Q2K");
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(history(rig), std::vector<std::string>{"load   /tmp/\x93\xfa\x96\x7b/new.Q2K"});
    EXPECT_EQ(rig.state.term_mode, 0);
    EXPECT_EQ(rig.term.CursorRow(), 2);  // a fresh line after the operation
}

TEST(Enter, CommandRoundTripWithTheSimulatedController) {
    ConsoleRig rig;
    rig.attach_sim();
    rig.attach_receive(&rig.console.receive_hooks);
    rig.receive->parser().first_prompt_pending = 0;
    rig.screen("#PRINT 6*7", 1, 1);
    rig.type(vk::kReturn);
    EXPECT_EQ(rig.state.term_mode, 1);
    EXPECT_EQ(rig.shell().lamp(), Lamp::Red);
    rig.pump.run_for(500);
    EXPECT_EQ(rig.state.term_mode, 0);
    EXPECT_EQ(rig.shell().lamp(), Lamp::Lime);
    EXPECT_EQ(rig.shell().status_text(3), console::kHintReady);
    EXPECT_EQ(rig.row_text(1), "#PRINT 6*7");  // the echo was not written again
    EXPECT_NE(rig.term.Text().find("42"), std::string::npos);
}

// ---- the leading number and the local command table ----------------------------------

TEST(LineParse, LeadingNumber) {
    // X and hex digits is a variable's statement (XA=5), not a step number.
    const std::vector<std::pair<std::string, std::int64_t>> rows = {
        {"100 A=1", 100}, {"LIST", 0},  {"$1F", 31}, {"0x1f A", 31}, {"-5", -5},
        {"-5 A", 5},      {"12ab", 12}, {"$G1", 0},  {"XA=5", 0},    {"X32=0", 0}};
    for (const auto& [line, number] : rows) {
        EXPECT_EQ(console::leading_number(line), number) << line;
    }
}

struct LocalCase {
    std::string line;
    bool local;
    std::vector<std::string> calls;
    std::string prg, pnt, mbk;  // file names after the command ("-": untouched)
};

TEST(LocalCommands, TableInOrder) {
    const std::vector<LocalCase> rows = {
        {"edit  a.Q2K ", true, {"Edit_Prg(0)"}, "a.Q2K", "-", "-"},
        {"EDITOR", true, {"Edit_Prg(0)"}, "OR", "-", "-"},
        {"PEDIT p.P2K", true, {"Edit_pnt(0)"}, "-", "p.P2K", "-"},
        {"LOAD b.Q2K", true, {"Load68k"}, "b.Q2K", "-", "-"},
        {"LOADX", false, {}, "-", "-", "-"},
        {"SAVEX", true, {"Save68k"}, "X", "-", "-"},
        {"msave e.MBK", true, {"MBKSave2000"}, "-", "-", "e.MBK"},
        {"ioc",
         true,
         {"HideBreakPointWindow", "CloseWatchWindowIfVisible", "ShowIOCheckerModal"},
         "-",
         "-",
         "-"},
        {"IOC 1", false, {}, "-", "-", "-"},
        {"LIST", false, {}, "-", "-", "-"},
    };
    for (const auto& r : rows) {
        ConsoleRig rig;
        rig.prg_file = rig.pnt_file = rig.mbk_file = "-";
        EXPECT_EQ(rig.console.commands.QVTCommands(r.line), r.local) << r.line;
        EXPECT_EQ(rig.ops.calls, r.calls) << r.line;
        EXPECT_EQ(rig.files.Prg_File, r.prg) << r.line;
        EXPECT_EQ(rig.files.Pnt_File, r.pnt) << r.line;
        EXPECT_EQ(rig.files.Mbk_File, r.mbk) << r.line;
        EXPECT_EQ(rig.term.disp_all(), r.local ? "\r\n" : "") << r.line;
    }
}

TEST(LocalCommands, ArgumentIsCutAt255Characters) {
    ConsoleRig rig;
    rig.console.commands.QVTCommands("SAVE " + std::string(300, 'f'));
    // 255 characters from the blank after the word, then trimmed.
    EXPECT_EQ(rig.files.Prg_File, std::string(254, 'f'));
}

TEST(LocalCommands, IoCheckerHoldsTransferModeWhileOpen) {
    ConsoleRig rig;
    int transfer_seen = -1;
    bool menus_off = false;
    rig.ops.during_io_checker = [&] {
        transfer_seen = rig.state.transfer_mode;
        menus_off = !rig.shell().menu_enabled(MenuItem::Save1);
    };
    rig.console.menu.activate(MenuItem::IOC1);
    EXPECT_EQ(transfer_seen, 1);
    EXPECT_TRUE(menus_off);
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_TRUE(rig.shell().menu_enabled(MenuItem::Save1));

    ConsoleRig refused;
    refused.state.watch_mode = 1;
    refused.console.commands.IOC_exec();
    EXPECT_TRUE(refused.ops.calls.empty());
    EXPECT_EQ(refused.dialogs.last_text(), "Can not Execute (Watch Mode)");
}

TEST(LocalCommands, StopWorksInEveryState) {
    ConsoleRig rig;
    rig.state.watch_mode = 1;
    rig.state.transfer_mode = 1;
    rig.console.commands.kvb_quit();
    EXPECT_EQ(rig.term.sent(), "\x01");
    EXPECT_EQ(rig.state.term_mode, 1);
    EXPECT_EQ(rig.ops.calls, std::vector<std::string>{"Quit_Watch"});
    EXPECT_FALSE(rig.shell().menu_enabled(MenuItem::Save1));
    EXPECT_TRUE(rig.dialogs.messages().empty());
}

// ---- CommandExec ----------------------------------------------------------------------

TEST(CommandExec, ModeOneLeavesTheLineForEditing) {
    ConsoleRig rig;
    rig.screen("#old text that is long", 1, 10);
    rig.term.set_SelStart(2);
    rig.term.set_SelLength(4);
    rig.console.commands.CommandExec("#LIST 10", 1);
    EXPECT_EQ(rig.row_text(1), "#LIST 10");
    EXPECT_EQ(rig.term.CursorColumn(), 10);  // after the blank
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.term.SelLength(), 0);
    EXPECT_TRUE(rig.keys().local_echo());
    EXPECT_EQ(rig.shell().focus(), Focus::Terminal);
}

TEST(CommandExec, ModeZeroEntersTheLine) {
    ConsoleRig rig;
    rig.screen("#old text that is long", 1, 10);
    rig.console.commands.CommandExec("LIST", 0);
    EXPECT_EQ(rig.term.sent(), "LIST\r");
    EXPECT_EQ(history(rig), std::vector<std::string>{"LIST"});
}

// ---- the command history ------------------------------------------------------------------

TEST(History, NoDuplicatesMostRecentFirst) {
    ConsoleRig rig;
    for (const char* l : {"A", "B", "a", "A"})
        rig.console.commands.SetHistory(l);
    EXPECT_EQ(history(rig), (std::vector<std::string>{"A", "a", "B"}));
    rig.console.commands.SetHistory("");
    EXPECT_EQ(history(rig).size(), 3u);
}

TEST(History, CutToOneHundredThenRefilledToOneHundredAndOne) {
    ConsoleRig rig;
    std::vector<std::string> items;
    for (int i = 0; i < 101; ++i)
        items.push_back('C' + std::to_string(i));
    rig.shell().list(ListId::ListBox1).set_items(items);
    rig.console.commands.SetHistory("NEW");
    ASSERT_EQ(history(rig).size(), 101u);
    EXPECT_EQ(history(rig).front(), "NEW");
    EXPECT_EQ(history(rig).back(), "C99");
    // A line already present at the very end is cut before it could move up.
    rig.console.commands.SetHistory("C99");
    EXPECT_EQ(history(rig).size(), 101u);
    EXPECT_EQ(history(rig).front(), "C99");
    EXPECT_EQ(history(rig).back(), "C98");
}

TEST(History, InsSortsAscendingDescendingAscending) {
    ConsoleRig rig;
    rig.shell().list(ListId::ListBox1).set_items({"b", "C", "a"});
    const std::vector<std::string> asc = {"a", "b", "C"};
    const std::vector<std::string> desc = {"C", "b", "a"};
    for (const auto& expected : {asc, desc, asc}) {
        int key = vk::kInsert;
        rig.console.commands.ListBox1KeyDown(key, kNone);
        EXPECT_EQ(history(rig), expected);
    }
    rig.console.commands.SetHistory("d");  // a new entry restarts with ascending
    int key = vk::kInsert;
    rig.console.commands.ListBox1KeyDown(key, kNone);
    EXPECT_EQ(history(rig), (std::vector<std::string>{"a", "b", "C", "d"}));
}

TEST(History, DelRemovesTheSelectionAfterConfirming) {
    ConsoleRig rig;
    auto& list = rig.shell().list(ListId::ListBox1);
    list.set_items({"A", "B", "C"});
    rig.shell().set_focus(Focus::ListBox1);
    list.set_current(1);
    list.set_selected(0, true);
    list.set_selected(1, true);
    rig.dialogs.push_answer(MsgResult::Cancel);
    int key = vk::kDelete;
    rig.console.commands.ListBox1KeyDown(key, kNone);
    EXPECT_EQ(list.count(), 3);
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.messages()[0].text, "Remove selected item from the List\r\n");
    EXPECT_EQ(rig.dialogs.messages()[0].buttons, platform::MsgButtons::OkCancel);
    key = vk::kDelete;
    rig.console.commands.ListBox1KeyDown(key, kNone);
    EXPECT_EQ(list.items(), std::vector<std::string>{"C"});
    EXPECT_TRUE(list.selected(list.current()));
    EXPECT_EQ(rig.shell().focus(), Focus::ListBox1);

    key = vk::kDelete;
    rig.console.commands.ListBox1KeyDown(key, kCtrl);
    EXPECT_EQ(rig.dialogs.last_text(), "Clear the ListBox\r\n");
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(rig.shell().focus(), Focus::Terminal);
}

TEST(History, EnterPutsTheEntryOnTheTerminalForEditing) {
    ConsoleRig rig;
    auto& list = rig.shell().list(ListId::ListBox1);
    list.set_items({"LIST 10", "RUN"});
    rig.shell().focus_list_at_top(ListId::ListBox1);
    list.set_current(1);
    int key = vk::kReturn;
    rig.console.commands.ListBox1KeyDown(key, kNone);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(rig.row_text(1), "#RUN");
    EXPECT_EQ(rig.term.CursorColumn(), 6);
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.shell().focus(), Focus::Terminal);
    EXPECT_TRUE(list.selected_indices().empty());

    for (int k : {vk::kEscape, vk::F(3)}) {
        rig.shell().focus_list_at_top(ListId::ListBox1);
        int kk = k;
        rig.console.commands.ListBox1KeyDown(kk, kNone);
        EXPECT_EQ(rig.shell().focus(), Focus::Terminal);
    }
    key = vk::F(10);
    rig.console.commands.ListBox1KeyDown(key, kNone);
    EXPECT_EQ(key, 0);
}

TEST(History, DoubleClickRefusedInTerminalMode) {
    ConsoleRig rig;
    rig.shell().list(ListId::ListBox1).set_items({"RUN"});
    rig.shell().list(ListId::ListBox1).set_current(0);
    rig.state.term_mode = 1;
    rig.console.commands.ListBox1DblClick();
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Terminal Mode)");
    EXPECT_EQ(rig.row_text(1), "");
}

}  // namespace
}  // namespace qvt::test
