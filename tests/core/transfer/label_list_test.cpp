// The label list: names from lines, reading a file, sorting, keys and clicks.
#include <gtest/gtest.h>

#include <string>

#include "core/console/virtual_keys.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

using console::LabelRow;
namespace vk = console::vk;

TEST(LabelList, NameOfALineAndReadFromFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"*START: A=1", "START"}, {"  *LOOP :B=2 ", "LOOP"}, {"*:A=1", ""},
        {"START: A=1", "TART"},   {"*NOCOLON", "NOCOLON"},   {"* SP ACE :x", "SP ACE"},
    };
    for (const auto& [line, name] : cases)
        EXPECT_EQ(transfer::label_name_of(line), name) << line;

    // Reading a file stops at the end marker.
    TransferRig rig;
    const std::string file =
        rig.dir
            .write("l.Q2K",
                   "A=1\r\n*ONE: B=2 /* *NOT */\r\n\r\n*: C=3\r\n /* only */ \r\n"
                   "  *TWO:GOTO *ONE\r\nX=1 ' END_OF_LOAD\r\n*THREE:\r\n")
            .string();
    rig.dialogs.push_file(file);
    rig.prg_file = rig.dir.file("l.Q2K");
    rig.transfers.labels.Label_Read();
    EXPECT_EQ(rig.dialogs.file_requests().at(0).initial_file, rig.dir.file("l"));
    const std::vector<LabelRow> expected = {{"ONE", "2"}, {"TWO", "6"}};
    EXPECT_EQ(rig.shell().labels().rows(), expected);
    EXPECT_EQ(rig.term.sent(), "");

    // An unreadable file keeps the old rows.
    rig.dialogs.push_file(rig.dir.file("none.Q2K"));
    rig.transfers.labels.Label_Read();
    EXPECT_EQ(rig.dialogs.last_text(), "File Open Error " + rig.dir.file("none.Q2K"));
    EXPECT_EQ(rig.shell().labels().rows(), expected);
}

// A click on the empty list offers to read a file; the transfer gate refuses
// it. Each column click turns the direction, whichever column: names
// ascending then descending, then line numbers (as integers) descending then
// ascending. Return puts a listing of the focused label on the line for editing.
TEST(LabelList, ClicksReadSortAndReturnListsTheLabel) {
    TransferRig rig;
    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    rig.transfers.labels.ListView1Click();
    EXPECT_EQ(rig.dialogs.last_text(),
              "The labels have been not read.\r\nRead from a Source File.");
    EXPECT_TRUE(rig.dialogs.file_requests().empty());
    rig.transfers.labels.ListView1Click();  // OK reads a file
    EXPECT_EQ(rig.dialogs.file_requests().size(), 1u);
    rig.state.transfer_mode = 1;
    rig.transfers.labels.ListView1Click();
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Transfer Mode)");
    rig.state.transfer_mode = 0;

    rig.shell().labels().set_rows({{"beta", "30"}, {"ALPHA", "100"}, {"gamma", "9"}});
    const std::vector<LabelRow> abc = {{"ALPHA", "100"}, {"beta", "30"}, {"gamma", "9"}},
                                cba = {abc[2], abc[1], abc[0]};
    const std::pair<int, std::vector<LabelRow>> steps[] = {{0, abc}, {0, cba}, {1, abc}, {1, cba}};
    for (const auto& [column, order] : steps) {
        rig.transfers.labels.ListView1ColumnClick(column);
        EXPECT_EQ(rig.shell().labels().rows(), order) << column;
    }
    rig.shell().labels().set_focused(2);
    rig.term.set_SelLength(4);
    int key = vk::kReturn;
    rig.transfers.labels.ListView1KeyDown(key, {});
    EXPECT_EQ(rig.term.SelLength(), 0);
    EXPECT_TRUE(rig.console.keyboard.local_echo());
    std::string row;
    rig.dialogue.GetLineStr(rig.term.CursorRow(), row);
    EXPECT_EQ(row, "LIST *ALPHA");
    EXPECT_EQ(rig.term.CursorColumn(), 13);  // after the blank
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.shell().focus(), console::Focus::Terminal);
}

}  // namespace
}  // namespace qvt::test
