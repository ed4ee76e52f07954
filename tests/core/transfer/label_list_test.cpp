// The label list: names from lines, reading a file, sorting, keys and clicks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/console/virtual_keys.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

using console::LabelRow;
namespace vk = console::vk;

TEST(LabelList, NameOfALine) {
    const std::pair<const char*, const char*> cases[] = {
        {"*START: A=1", "START"},
        {"  *LOOP :B=2 ", "LOOP"},
        {"*:A=1", ""},
        {"*", ""},
        {"START: A=1", "TART"},
        {"", ""},
        {"*NOCOLON", "NOCOLON"},
        {"* SP ACE :x", "SP ACE"},
    };
    for (const auto& [line, name] : cases)
        EXPECT_EQ(transfer::label_name_of(line), name) << line;
    EXPECT_EQ(transfer::label_name_of("*" + std::string(300, 'L')).size(), 255u);
}

TEST(LabelList, ReadFromFileStopsAtTheEndMarker) {
    TransferRig rig;
    const std::string file =
        rig.dir.write("l.Q2K",
                      "A=1\r\n*ONE: B=2 /* *NOT */\r\n\r\n*: C=3\r\n /* only */ \r\n"
                      "  *TWO:GOTO *ONE\r\nX=1 ' END_OF_LOAD\r\n*THREE:\r\n");
    rig.dialogs.push_file(file);
    rig.prg_file = rig.dir.file("l.Q2K");
    rig.transfers.labels.Label_Read();
    EXPECT_EQ(rig.dialogs.file_requests().at(0).title, "Read Label");
    EXPECT_EQ(rig.dialogs.file_requests().at(0).initial_file, rig.dir.file("l"));
    const std::vector<LabelRow> expected = {{"ONE", "2"}, {"TWO", "6"}};
    EXPECT_EQ(rig.shell().labels().rows(), expected);
    EXPECT_EQ(rig.transfers.counter.load_line_no, 7);
    EXPECT_EQ(rig.shell().current_page(), console::Page::TabSheet4);
    EXPECT_EQ(rig.shell().focus(), console::Focus::ListView1);
    EXPECT_EQ(rig.shell().labels().focused(), 0);
    EXPECT_EQ(rig.shell().lamp(), console::Lamp::Lime);
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_EQ(rig.term.sent(), "");
}

TEST(LabelList, UnreadableFileKeepsTheOldRows) {
    TransferRig rig;
    rig.shell().labels().set_rows({{"OLD", "1"}});
    rig.dialogs.push_file(rig.dir.file("none.Q2K"));
    rig.transfers.labels.Label_Read();
    EXPECT_EQ(rig.dialogs.last_text(), "File Open Error " + rig.dir.file("none.Q2K"));
    EXPECT_EQ(rig.shell().labels().count(), 1);

    const std::string folder = rig.dir.file("folder.Q2K");
    std::filesystem::create_directory(folder);
    rig.dialogs.push_file(folder);
    rig.transfers.labels.Label_Read();
    EXPECT_EQ(rig.dialogs.last_text(), "File Open Error " + folder);
    EXPECT_EQ(rig.shell().labels().count(), 1);
}

std::vector<std::string> names(const TransferRig& rig) {
    std::vector<std::string> out;
    for (const auto& r : rig.console.shell.labels().rows())
        out.push_back(r.label);
    return out;
}

TEST(LabelList, SortingSequences) {
    const std::vector<LabelRow> rows = {{"beta", "30"}, {"ALPHA", "100"}, {"gamma", "9"}};
    struct Step {
        int column;
        std::vector<std::string> order;
    };
    const std::vector<std::vector<Step>> sequences = {
        // Label twice: ascending, then descending names.
        {{0, {"ALPHA", "beta", "gamma"}}, {0, {"gamma", "beta", "ALPHA"}}},
        // Line first: descending line numbers (compared as integers).
        {{1, {"ALPHA", "beta", "gamma"}}, {1, {"gamma", "beta", "ALPHA"}}},
        // Line right after an ascending name sort: ascending line numbers.
        {{0, {"ALPHA", "beta", "gamma"}},
         {1, {"gamma", "beta", "ALPHA"}},
         {0, {"ALPHA", "beta", "gamma"}}},
    };
    for (std::size_t s = 0; s < sequences.size(); ++s) {
        TransferRig rig;
        rig.shell().labels().set_rows(rows);
        for (const auto& step : sequences[s]) {
            rig.transfers.labels.ListView1ColumnClick(step.column);
            EXPECT_EQ(names(rig), step.order) << "sequence " << s;
            EXPECT_EQ(rig.shell().labels().focused(), 0);
            EXPECT_EQ(rig.shell().labels().selected(), 0);
        }
    }
}

TEST(LabelList, KeysSortAndJump) {
    TransferRig rig;
    rig.shell().labels().set_rows({{"B", "1"}, {"A", "2"}});
    int key = vk::kInsert;
    rig.transfers.labels.ListView1KeyDown(key, {});
    EXPECT_EQ(key, vk::kNone);
    EXPECT_EQ(rig.transfers.labels.sort_column(), 0);
    key = vk::kInsert;
    rig.transfers.labels.ListView1KeyDown(key, {.ctrl = true});
    EXPECT_EQ(rig.transfers.labels.sort_column(), 1);
    EXPECT_EQ(names(rig), (std::vector<std::string>{"B", "A"}));  // ascending lines now

    rig.shell().labels().set_focused(1);
    key = vk::kReturn;
    rig.transfers.labels.ListView1KeyDown(key, {});
    std::string row;
    rig.dialogue.GetLineStr(rig.term.CursorRow(), row);
    EXPECT_EQ(row, "LIST *A");
    EXPECT_EQ(rig.term.CursorColumn(), 9);  // after the blank
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_EQ(rig.shell().focus(), console::Focus::Terminal);

    key = vk::F(10);
    rig.transfers.labels.ListView1KeyDown(key, {});
    EXPECT_EQ(key, vk::kNone);
    key = 'X';
    rig.transfers.labels.ListView1KeyDown(key, {});
    EXPECT_EQ(key, 'X');
}

TEST(LabelList, ClickOnTheEmptyListOffersToRead) {
    TransferRig rig;
    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    rig.transfers.labels.ListView1Click();
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.messages()[0].text,
              "The labels have been not read.\r\nRead from a Source File.");
    EXPECT_EQ(rig.dialogs.messages()[0].icon, platform::MsgIcon::Question);
    EXPECT_TRUE(rig.dialogs.file_requests().empty());
    EXPECT_EQ(rig.shell().focus(), console::Focus::Terminal);

    // OK reads a file (the dialog is cancelled here); F2 on the empty list
    // comes the same way through the console.
    int f2 = vk::F(2);
    rig.console.keyboard.CommKeyDown(f2, {});
    EXPECT_EQ(rig.dialogs.messages().size(), 2u);
    EXPECT_EQ(rig.dialogs.file_requests().size(), 1u);

    rig.state.transfer_mode = 1;
    rig.transfers.labels.ListView1Click();
    EXPECT_EQ(rig.dialogs.last_text(), "Can not Execute (Transfer Mode)");
}

}  // namespace
}  // namespace qvt::test
