// File histories, their action menu and dropped files.
#include <gtest/gtest.h>

#include <string>

#include "core/console/virtual_keys.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

using console::ListId;
namespace vk = console::vk;

std::vector<std::string> numbered(int n) {
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i)
        out.push_back('f' + std::to_string(i) + ".Q2K");
    return out;
}

TEST(FileHistory, FiftyOneEntryRule) {
    TransferRig rig;
    auto& list = rig.shell().list(ListId::ListBox2);
    list.set_items(numbered(51));
    rig.transfers.histories.PrgFileHistory("SAVE", "new.Q2K");
    EXPECT_EQ(list.count(), 51);
    EXPECT_EQ(list.item(0), "new.Q2K");
    EXPECT_EQ(list.item(50), "f50.Q2K");

    // From a longer list read from its file, the tail goes at once.
    list.set_items(numbered(80));
    rig.transfers.histories.PrgFileHistory("LOAD", "f3.Q2K");
    EXPECT_EQ(list.count(), 50);
    EXPECT_EQ(list.item(0), "f3.Q2K");
}

TEST(FileHistory, SameFileMovesToTheTopIgnoringBlanksNotCase) {
    TransferRig rig;
    auto& list = rig.shell().list(ListId::ListBox3);
    list.set_items({"a.P2K", "  /x/B.p2k ", "c.P2K", " /x/b.P2K", "/x/b.P2K"});
    rig.transfers.histories.PointFileHistory("PLOAD", "/x/b.P2K");
    EXPECT_EQ(list.items(),
              (std::vector<std::string>{"/x/b.P2K", "a.P2K", "  /x/B.p2k ", "c.P2K", "/x/b.P2K"}));
    EXPECT_EQ(rig.shell().focus(), console::Focus::Terminal);
}

TEST(FileHistory, InsertSortsAscendingThenDescendingAndANewEntryResets) {
    TransferRig rig;
    auto& list = rig.shell().list(ListId::ListBox4);
    list.set_items({"b.MBK", "C.MBK", "a.MBK"});
    const std::vector<std::string> asc = {"a.MBK", "b.MBK", "C.MBK"};
    const std::vector<std::string> desc = {"C.MBK", "b.MBK", "a.MBK"};
    int key = vk::kInsert;
    rig.transfers.histories.ListKeyDown(ListId::ListBox4, key, {});
    EXPECT_EQ(key, vk::kNone);
    EXPECT_EQ(list.items(), asc);
    key = vk::kInsert;
    rig.transfers.histories.ListKeyDown(ListId::ListBox4, key, {});
    EXPECT_EQ(list.items(), desc);
    rig.transfers.histories.MbkFileHistory("MSAVE", "d.MBK");
    EXPECT_FALSE(rig.transfers.histories.sort_descending_next(ListId::ListBox4));
}

TEST(FileHistory, DeleteAndClearAskFirst) {
    TransferRig rig;
    auto& list = rig.shell().list(ListId::ListBox2);
    list.set_items({"a.Q2K", "b.Q2K", "c.Q2K"});
    list.set_current(1);
    list.set_selected(1, true);
    int key = vk::kDelete;
    rig.transfers.histories.ListKeyDown(ListId::ListBox2, key, {});
    EXPECT_EQ(rig.dialogs.last_text(), "Remove selected item from the List\r\n'b.Q2K'");
    EXPECT_EQ(list.items(), (std::vector<std::string>{"a.Q2K", "c.Q2K"}));

    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    key = vk::kDelete;
    rig.transfers.histories.ListKeyDown(ListId::ListBox2, key, {.ctrl = true});
    EXPECT_EQ(rig.dialogs.last_text(), "Clear the ListBox\r\n");
    EXPECT_EQ(list.count(), 2);
    key = vk::kDelete;
    rig.transfers.histories.ListKeyDown(ListId::ListBox2, key, {.ctrl = true});
    EXPECT_TRUE(list.empty());
}

TEST(FileHistory, PageKeysAndF10AreSwallowed) {
    TransferRig rig;
    const std::tuple<ListId, int, bool> cases[] = {
        {ListId::ListBox2, vk::F(9), true},   {ListId::ListBox2, vk::F(10), false},
        {ListId::ListBox3, vk::F(10), true},  {ListId::ListBox4, vk::F(11), true},
        {ListId::ListBox4, vk::F(10), false}, {ListId::ListBox3, vk::kEscape, true},
    };
    for (const auto& [id, k, to_terminal] : cases) {
        rig.shell().list(id).set_items({"x"});
        rig.shell().set_focus(console::focus_of_list(id));
        int key = k;
        rig.transfers.histories.ListKeyDown(id, key, {});
        EXPECT_EQ(key, vk::kNone);
        EXPECT_EQ(rig.shell().focus() == console::Focus::Terminal, to_terminal) << k;
    }
}

TEST(FileHistory, MenuActionsRunLocalCommands) {
    struct Case {
        ListId list;
        std::string entry;
        std::string action;
        std::string call;   // recorded operation of another subsystem
        std::string* file;  // name set by the local command
    };
    TransferRig rig;
    int menus = 0;
    rig.transfers.hooks.show_file_menu = [&] { ++menus; };
    std::string opened;
    rig.transfers.hooks.open_folder = [&](const std::string& f) { opened = f; };
    const Case cases[] = {
        {ListId::ListBox3, " /d/p.p2k ", "LOAD", "PLoad68k", &rig.pnt_file},
        {ListId::ListBox3, "/d/p.P2K", "SAVE", "PSave2000", &rig.pnt_file},
        {ListId::ListBox4, "/d/m.MBK", "LOAD", "MBKLoad2000", &rig.mbk_file},
        {ListId::ListBox4, "/d/m.MBK", "EDIT", "Edit_Mbk", &rig.mbk_file},
        {ListId::ListBox2, "/d/q.Q2K", "EDIT", "Edit_Prg", &rig.prg_file},
        {ListId::ListBox2, "/d/q.TXT", "LOAD", "", nullptr},
    };
    for (const auto& c : cases) {
        rig.file_ops.calls.clear();
        auto& list = rig.shell().list(c.list);
        list.set_items({c.entry});
        rig.shell().set_focus(console::focus_of_list(c.list));
        list.select_only(0);
        int key = vk::kReturn;
        rig.transfers.histories.ListKeyDown(c.list, key, {});
        rig.transfers.histories.Popupmenu1_Proc(c.action);
        if (c.file == nullptr) {
            EXPECT_TRUE(rig.file_ops.calls.empty()) << c.entry;
        } else {
            EXPECT_EQ(rig.file_ops.calls, std::vector<std::string>{c.call}) << c.entry;
            EXPECT_EQ(*c.file, transfer::trim_blank(c.entry));
        }
    }
    EXPECT_EQ(menus, 6);

    // Load of a program file reaches the program load with the name preloaded.
    auto& prg = rig.shell().list(ListId::ListBox2);
    prg.set_items({"/d/q.Q2K"});
    rig.shell().set_focus(console::Focus::ListBox2);
    prg.select_only(0);
    rig.transfers.histories.LOAD2Click();
    ASSERT_EQ(rig.dialogs.file_requests().size(), 1u);
    EXPECT_EQ(rig.dialogs.file_requests()[0].initial_file, "/d/q.Q2K");

    rig.shell().set_focus(console::Focus::ListBox2);
    prg.set_items({"/d/a.Q2K", "/d/q.Q2K"});
    prg.select_only(1);
    rig.transfers.histories.Explorer1Click();
    EXPECT_EQ(opened, "/d");
    EXPECT_EQ(prg.item(0), "/d/q.Q2K");
    EXPECT_EQ(rig.shell().focus(), console::Focus::Terminal);
}

TEST(FileHistory, PopupRefusedDuringATransfer) {
    TransferRig rig;
    int menus = 0;
    rig.transfers.hooks.show_file_menu = [&] { ++menus; };
    rig.shell().list(ListId::ListBox2).set_items({"a.Q2K"});
    rig.state.transfer_mode = 1;
    rig.transfers.histories.Popupmenu1_Popup(2);
    EXPECT_EQ(menus, 0);
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Transfer Mode)");
    EXPECT_EQ(transfer::FileHistories::popup_position(100, 50, 400),
              (transfer::PopupPosition{110, 500}));
}

TEST(DroppedFiles, OnlyTheLastValidFileIsLoaded) {
    struct Case {
        std::vector<std::string> names;
        std::string message;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {{"/a/p.q2k", "/a/pt.P2K"}, "", {"PLoad68k"}},
        {{"/a/m.mbk"}, "", {"MBKLoad2000"}},
        {{"/a/p.Q2K", "/a/readme.txt", "/a/m.MBK"}, "Invalid file type (/a/readme.txt)", {}},
        {{"/a/noext"}, "Invalid file type (/a/noext)", {}},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        int fronts = 0;
        rig.transfers.hooks.bring_main_window_to_front = [&] { ++fronts; };
        rig.transfers.drops.FilesDropped(c.names);
        EXPECT_EQ(rig.dialogs.last_text(), c.message);
        EXPECT_EQ(rig.file_ops.calls, c.calls);
        EXPECT_EQ(rig.state.file_preselected, c.calls.empty() ? 0 : 1);
        EXPECT_GE(fronts, 1);
    }
    // A dropped program file goes straight to the confirmation of the load.
    TransferRig rig;
    rig.attach_sim();
    const std::string f = rig.dir.write("d.Q2K", "A=1\r\n");
    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    rig.transfers.drops.FilesDropped({f});
    EXPECT_TRUE(rig.dialogs.file_requests().empty());
    EXPECT_EQ(rig.prg_file, f);
    EXPECT_NE(rig.dialogs.last_text().find("Load Program File: "), std::string::npos);
    EXPECT_EQ(rig.state.file_preselected, 0);
}

}  // namespace
}  // namespace qvt::test
