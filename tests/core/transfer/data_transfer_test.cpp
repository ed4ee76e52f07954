// Point and MBK transfers: the listing parser alone, the loads and saves
// against the simulated controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/transfer/data_transfer.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

using transfer::kMbkKind;
using transfer::kPointKind;

TEST(DataListingParser, TurnsTheListingIntoFileLines) {
    struct Case {
        const char* name;
        bool points;
        bool aborted;
        std::string listing;
        std::vector<std::string> lines;
        std::string answers;
        long count;
        bool running;
    };
    const Case cases[] = {
        {"echo dropped, page pause answered with a blank",
         true,
         false,
         "PLS -1\r\nPNT 1 1 2 3 4\r\n?\rPNT 2 5 6 7 8\r\n#",
         {"PNT 1 1 2 3 4", "PNT 2 5 6 7 8"},
         " ",
         3,
         false},
        {"pause after Abort answered with Q",
         true,
         true,
         "PLS -1\r\nPNT 1 1 2 3 4\r\n?",
         {"PNT 1 1 2 3 4"},
         "Q",
         1,
         true},
        {"# in mid-line dropped, bell ignored",
         true,
         false,
         "PLS -1\r\nPNT 1 #1\a 2 3 4\r\n#",
         {"PNT 1 1 2 3 4"},
         "",
         1,
         false},
        {"# with an abort pending ends the capture",
         true,
         true,
         "PLS -1\r\nPNT 1#2\r\n",
         {},
         "",
         0,
         false},
        {"MBK keeps ?, answers nothing",
         false,
         false,
         "S_MBK -1\r\nMB001 3 a?b\r\n\r\n#",
         {"MB001 3 a?b"},
         "",
         2,
         false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        std::string answers;
        transfer::DataListingParser parser(
            c.points, {[&](std::string_view l) { lines.emplace_back(l); },
                       [&](char k) { answers += k; }, [&] { return c.aborted; }, [](long) {}});
        parser.feed(c.listing);
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(answers, c.answers) << c.name;
        EXPECT_EQ(parser.count(), c.count) << c.name;
        EXPECT_EQ(parser.running(), c.running) << c.name;
    }
}

void send_lines(TransferRig& rig, const std::vector<std::string>& lines) {
    std::string reply;
    for (const auto& l : lines)
        rig.dialogue.CommOut(l, reply);
}

std::string load(TransferRig& rig, const transfer::DataKind& kind, const std::string& content) {
    std::string& name = kind.file(rig.files);
    name = rig.dir.write(std::string("in.") + kind.extension, content);
    rig.state.file_preselected = 1;
    rig.term.clear_sent();
    rig.term.clear_disp_log();
    (&kind == &kPointKind ? rig.transfers.points : rig.transfers.mbk).Load();
    return rig.term.sent();
}

TEST(DataLoad, SendsTheLinesThatHoldData) {
    struct Case {
        const transfer::DataKind& kind;
        std::string file;
        std::string sent;  // after the clearing command, up to the closing CR
        std::string label1;
        std::string shown;
    };
    const Case cases[] = {
        // A point of four zeros is counted, not sent; an empty line is a
        // bare CR; a seventh field spoils the fourth value, so the line goes
        // and is refused, and the load goes on.
        {kPointKind, "PNT 1 1 2 3 4\r\nPNT 2 0 0 0 0\r\n\r\nPNT 3 1 2 3 4 5\r\n PNT 4 0 0 0 1\r\n",
         "PNT 1 1 2 3 4\r\rPNT 3 1 2 3 4 5\r PNT 4 0 0 0 1\r", "5", "\r\n*PNT 3 1 2 3 4 5\r\n"},
        // Banks of no bytes hold no data; lines go trimmed.
        {kMbkKind, " MB001 3 a?b \r\nMB002 0\r\nMB003 1 x\r\n", "MB001 3 a?b\rMB003 1 x\r", "3",
         ""},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.attach_sim();
        const std::string sent = load(rig, c.kind, c.file);
        const std::string clear = c.kind.clear_command;
        const auto from = sent.find(clear);
        ASSERT_NE(from, std::string::npos) << sent;
        std::string lines = sent.substr(from + clear.size());
        lines.pop_back();  // the closing CR that asks for a fresh prompt
        EXPECT_EQ(lines, c.sent) << c.file;
        EXPECT_EQ(rig.term.disp_all(), c.shown) << c.file;
        EXPECT_EQ(rig.progress().label1(), c.label1) << c.file;
        EXPECT_EQ(rig.dialogs.last_text(), "Completed") << c.file;
        EXPECT_EQ(rig.dialogs.messages().back().caption, c.kind.caption);
        EXPECT_EQ(rig.state.transfer_mode, 0);
        EXPECT_TRUE(rig.progress().main_window_enabled());
    }
}

// "NEWM" deletes the bank data before any line is sent, so a line that
// cannot be judged refuses the file while the controller still holds it all.
TEST(DataLoad, MbkLineWithoutACountRefusesTheFileBeforeAnythingIsSent) {
    TransferRig rig;
    rig.attach_sim();
    const std::string sent = load(rig, kMbkKind, "MB001 3 abc\r\nMB002 x2\r\n");
    EXPECT_EQ(sent, "");
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    const std::string& text = rig.dialogs.messages()[0].text;
    EXPECT_NE(text.find("Line 2 holds no bank count: \"MB002 x2\""), std::string::npos) << text;
}

TEST(DataTransfer, SaveClearLoadSaveGivesTheSameFile) {
    struct Case {
        const transfer::DataKind& kind;
        std::vector<std::string> entries;
    };
    std::vector<std::string> points, banks;
    for (int i = 1; i <= 45; ++i)  // more than two pages of the point listing
        points.push_back("PNT " + std::to_string(i) + " " + std::to_string(i * 10) + " -" +
                         std::to_string(i) + " 0 +7");
    for (int i = 1; i <= 12; ++i)
        banks.push_back("MB" + std::string(i < 10 ? "00" : "0") + std::to_string(i) + " 4  a?" +
                        std::to_string(i % 10));
    for (const Case& c : {Case{kPointKind, points}, Case{kMbkKind, banks}}) {
        TransferRig rig;
        rig.attach_sim();
        send_lines(rig, c.entries);
        auto& transfer = &c.kind == &kPointKind ? rig.transfers.points : rig.transfers.mbk;
        std::string& name = c.kind.file(rig.files);
        name = rig.dir.file(std::string("first.") + c.kind.extension);
        rig.state.file_preselected = 1;
        transfer.Save();
        const std::string first = ScratchDir::read(name);
        EXPECT_EQ(std::count(first.begin(), first.end(), '\n'),
                  static_cast<long>(c.entries.size()));
        if (&c.kind == &kMbkKind) {
            // N lines after the echo, shown as N - 1.
            EXPECT_EQ(rig.progress().label1(), std::to_string(c.entries.size() - 1));
            EXPECT_NE(first.find("MB001 4  a?1\r\n"), std::string::npos) << first;
        }

        send_lines(rig, {std::string(c.kind.clear_command).substr(0, 4)});
        name = rig.dir.file(std::string("first.") + c.kind.extension);
        rig.state.file_preselected = 1;
        transfer.Load();
        EXPECT_EQ(rig.dialogs.last_text(), "Completed");
        name = rig.dir.file(std::string("second.") + c.kind.extension);
        rig.state.file_preselected = 1;
        transfer.Save();
        EXPECT_EQ(ScratchDir::read(name), first) << c.kind.extension;
        EXPECT_EQ(rig.dir.entries().size(), 2u);  // no temporary file left
    }
}

// Abort ends a save whose controller has gone silent, and an existing file
// stays whole.
TEST(DataTransfer, AbortOnASilentLineKeepsTheOldFile) {
    TransferRig rig;
    rig.term.deliver_at(rig.pump.now_ms() + 10, "\r\n#");  // the stop is answered, nothing more
    rig.pnt_file = rig.dir.write("p.P2K", "old\r\n");
    rig.state.file_preselected = 1;
    const auto abort_at = rig.pump.now_ms() + 1000;
    rig.pump.post_at(abort_at, [&] { rig.progress().Button1Click(); });
    rig.transfers.points.Save();
    EXPECT_EQ(ScratchDir::read(rig.pnt_file), "old\r\n");
    EXPECT_EQ(rig.dialogs.last_text().rfind("Aborted", 0), 0u);
    EXPECT_LE(rig.pump.now_ms() - abort_at, 1000 + 10);
    EXPECT_EQ(rig.term.sent().substr(rig.term.sent().size() - 2), "q\r");
    EXPECT_EQ(rig.dir.entries().size(), 1u);
}

}  // namespace
}  // namespace qvt::test
