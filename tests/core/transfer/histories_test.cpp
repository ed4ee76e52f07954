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

TEST(FileHistory, NewEntryGoesOnTopOfAtMostFiftyAndDeleteAsksFirst) {
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

    // The same file moves to the top, ignoring blanks but not case.
    auto& points = rig.shell().list(ListId::ListBox3);
    points.set_items({"a.P2K", "  /x/B.p2k ", "c.P2K", " /x/b.P2K", "/x/b.P2K"});
    rig.transfers.histories.PointFileHistory("PLOAD", "/x/b.P2K");
    EXPECT_EQ(points.items(),
              (std::vector<std::string>{"/x/b.P2K", "a.P2K", "  /x/B.p2k ", "c.P2K", "/x/b.P2K"}));

    // Delete and Ctrl+Delete remove one entry or all, after asking.
    auto& banks = rig.shell().list(ListId::ListBox4);
    banks.set_items({"d.MBK", "b.MBK", "C.MBK", "a.MBK"});
    auto press = [&](bool ctrl) {
        int key = vk::kDelete;
        rig.transfers.histories.ListKeyDown(ListId::ListBox4, key, {.ctrl = ctrl});
    };
    banks.set_current(1);
    banks.set_selected(1, true);
    press(false);
    EXPECT_EQ(rig.dialogs.last_text(), "Remove selected item from the List\r\n'b.MBK'");
    EXPECT_EQ(banks.items(), (std::vector<std::string>{"d.MBK", "C.MBK", "a.MBK"}));
    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    press(true);
    EXPECT_EQ(rig.dialogs.last_text(), "Clear the ListBox\r\n");
    EXPECT_EQ(banks.count(), 3);
    press(true);
    EXPECT_TRUE(banks.empty());
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
    const Case cases[] = {
        {ListId::ListBox3, " /d/p.p2k ", "LOAD", "PLoad68k", &rig.pnt_file},
        {ListId::ListBox4, "/d/m.MBK", "EDIT", "Edit_Mbk", &rig.mbk_file},
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
        ASSERT_EQ(rig.file_ops.calls.size(), c.file ? 1u : 0u) << c.entry;
        if (c.file) {
            EXPECT_EQ(rig.file_ops.calls[0] + *c.file, c.call + transfer::trim_blank(c.entry));
        }
    }
    EXPECT_EQ(menus, 3);

    // Load of a program file reaches the program load with the name preloaded.
    auto& prg = rig.shell().list(ListId::ListBox2);
    prg.set_items({"/d/q.Q2K"});
    rig.shell().set_focus(console::Focus::ListBox2);
    prg.select_only(0);
    rig.transfers.histories.LOAD2Click();
    ASSERT_EQ(rig.dialogs.file_requests().size(), 1u);
    EXPECT_EQ(rig.dialogs.file_requests()[0].initial_file, "/d/q.Q2K");

    rig.state.transfer_mode = 1;
    rig.transfers.histories.Popupmenu1_Popup(2);
    EXPECT_EQ(menus, 3);
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Transfer Mode)");
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
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.transfers.drops.FilesDropped(c.names);
        EXPECT_EQ(rig.dialogs.last_text(), c.message);
        EXPECT_EQ(rig.file_ops.calls, c.calls);
        EXPECT_EQ(rig.state.file_preselected, c.calls.empty() ? 0 : 1);
    }
    // A dropped program file goes straight to the confirmation of the load.
    TransferRig rig;
    rig.attach_sim();
    const std::string f = rig.dir.write("d.Q2K", "A=1\r\n").string();
    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    rig.transfers.drops.FilesDropped({f});
    EXPECT_TRUE(rig.dialogs.file_requests().empty());
    EXPECT_EQ(rig.prg_file, f);
    EXPECT_NE(rig.dialogs.last_text().find("Load Program File: "), std::string::npos);
}

}  // namespace
}  // namespace qvt::test
