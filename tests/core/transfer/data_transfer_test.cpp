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
        bool points, aborted;
        std::string listing, lines, answers;
        long count;
        bool running;
    };
    // The echo is dropped; a page pause is answered with a blank, after Abort
    // with Q; "#" in mid-line is dropped, a bell ignored, but with an abort
    // pending any "#" ends the capture. Bank data keep "?", answer no pause.
    const Case cases[] = {
        {true, false, "PLS -1\r\nPNT 1 1\r\n?\rPNT 2 5\r\n#", "PNT 1 1|PNT 2 5|", " ", 3, false},
        {true, true, "PLS -1\r\nPNT 1 1\r\n?", "PNT 1 1|", "Q", 1, true},
        {true, false, "PLS -1\r\nPNT 1 #1\a 2\r\n#", "PNT 1 1 2|", "", 1, false},
        {true, true, "PLS -1\r\nPNT 1#2\r\n", "", "", 0, false},
        {false, false, "S_MBK -1\r\nMB001 3 a?b\r\n\r\n#", "MB001 3 a?b|", "", 2, false},
    };
    for (const auto& c : cases) {
        std::string lines, answers;
        transfer::DataListingParser parser(
            c.points, {[&](std::string_view l) { (lines += l) += '|'; },
                       [&](char k) { answers += k; }, [&] { return c.aborted; }, [](long) {}});
        parser.feed(c.listing);
        EXPECT_EQ(lines, c.lines) << c.listing;
        EXPECT_EQ(answers, c.answers) << c.listing;
        EXPECT_EQ(parser.count(), c.count) << c.listing;
        EXPECT_EQ(parser.running(), c.running) << c.listing;
    }
}

TEST(DataLoad, SendsTheLinesThatHoldData) {
    struct Case {
        const transfer::DataKind& kind;
        std::string file;
        std::string sent;  // after the clearing command, up to the closing CR
        std::string label1;
        std::string shown;
        std::string message = "Completed";
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
        // "NEWM" deletes the bank data before any line is sent, so a line that
        // cannot be judged refuses the file while the controller holds it all.
        {kMbkKind, "MB001 3 abc\r\nMB002 x2\r\n", "", "", "",
         "Line 2 holds no bank count: \"MB002 x2\""},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.attach_sim();
        c.kind.file(rig.files) =
            rig.dir.write(std::string("in.") + c.kind.extension, c.file).string();
        rig.state.file_preselected = 1;
        rig.term.clear_sent();
        rig.term.clear_disp_log();
        (&c.kind == &kPointKind ? rig.transfers.points : rig.transfers.mbk).Load();
        const std::string& sent = rig.term.sent();
        const std::string clear = c.kind.clear_command;
        const auto from = sent.find(clear);
        std::string lines = from == std::string::npos ? sent : sent.substr(from + clear.size());
        if (!lines.empty()) lines.pop_back();  // the closing CR that asks for a fresh prompt
        EXPECT_EQ(lines, c.sent) << c.file;
        EXPECT_EQ(rig.term.disp_all(), c.shown) << c.file;
        EXPECT_EQ(rig.progress().label1(), c.label1) << c.file;
        EXPECT_NE(rig.dialogs.last_text().find(c.message), std::string::npos) << c.file;
        EXPECT_EQ(rig.state.transfer_mode, 0);
    }
}

TEST(DataTransfer, SaveClearLoadSaveGivesTheSameFile) {
    std::vector<std::string> points, banks;
    for (int i = 1; i <= 45; ++i)  // more than two pages of the point listing
        points.push_back("PNT " + std::to_string(i) + " " + std::to_string(i * 10) + " -" +
                         std::to_string(i) + " 0 +7");
    for (int i = 1; i <= 9; ++i)
        banks.push_back("MB00" + std::to_string(i) + " 4  a?" + std::to_string(i));
    for (const auto& [kind, entries] : {std::pair{&kPointKind, points}, {&kMbkKind, banks}}) {
        TransferRig rig;
        rig.attach_sim();
        rig.enter_program(entries);
        auto& transfer = kind == &kPointKind ? rig.transfers.points : rig.transfers.mbk;
        auto run = [&](const std::string& base, void (transfer::DataTransfer::*step)()) {
            kind->file(rig.files) = rig.dir.file(base + "." + kind->extension);
            rig.state.file_preselected = 1;
            (transfer.*step)();
            return ScratchDir::read(kind->file(rig.files));
        };
        const std::string first = run("first", &transfer::DataTransfer::Save);
        EXPECT_EQ(first.substr(0, first.find('\n') + 1), entries[0] + "\r\n");
        EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), static_cast<long>(entries.size()));
        rig.enter_program({std::string(kind->clear_command).substr(0, 4)});
        run("first", &transfer::DataTransfer::Load);
        EXPECT_EQ(rig.dialogs.last_text(), "Completed");
        EXPECT_EQ(run("second", &transfer::DataTransfer::Save), first) << kind->extension;
        EXPECT_EQ(rig.dir.entries().size(), 2u);  // no temporary file left
    }
}

// A load cut off by a lost line leaves the controller in load mode, where
// every command becomes a program line. A save must not take the bare prompt
// for an empty listing and replace the file, nor a point or MBK load go on
// with data it did not clear; all end load mode, and the program load clears
// the stray lines with the program it replaces. The MBK transfers take the
// points' path with their own commands.
TEST(DataTransfer, ControllerLeftInLoadMode) {
    struct Case {
        const char* name;
        void (*run)(TransferRig&);
        std::string TransferRig::*file;
        std::string content;
        std::string message;
    };
    const Case cases[] = {
        {"program save", [](TransferRig& r) { r.transfers.save.Save68k(); }, &TransferRig::prg_file,
         "old\r\n", "did not echo \"LIST 0 0\""},
        {"point save", [](TransferRig& r) { r.transfers.points.Save(); }, &TransferRig::pnt_file,
         "old\r\n", "did not echo \"PLS -1\""},
        {"point load", [](TransferRig& r) { r.transfers.points.Load(); }, &TransferRig::pnt_file,
         "PNT 2 1 2 3 4\r\n", "did not echo \"NEWP\""},
        {"program load", [](TransferRig& r) { r.transfers.load.Load68k(); }, &TransferRig::prg_file,
         "B=2\r\n", "Completed"},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        auto& sim = rig.attach_sim();
        rig.enter_program({"10 A=1", "PNT 1 5 6 7 8", "MB001 1 a", "ECHO 2"});
        const std::string points = sim.point_table(), banks = sim.mbk_data();
        rig.*c.file = rig.dir.write("f", c.content).string();
        rig.state.file_preselected = 1;
        c.run(rig);
        EXPECT_NE(rig.dialogs.last_text().find(c.message), std::string::npos) << c.name;
        EXPECT_EQ(rig.state.transfer_mode, 0) << c.name;
        const std::string listing = rig.list_program();  // answered: out of load mode
        if (c.message == "Completed") {
            EXPECT_EQ(listing, "10\tB=2\r\n") << c.name;
            continue;
        }
        EXPECT_EQ(ScratchDir::read(rig.*c.file), c.content) << c.name;
        EXPECT_EQ(listing.find("10\tA=1\r\n"), 0u) << c.name;
        EXPECT_EQ(sim.point_table(), points) << c.name;
        EXPECT_EQ(sim.mbk_data(), banks) << c.name;
    }
}

}  // namespace
}  // namespace qvt::test
