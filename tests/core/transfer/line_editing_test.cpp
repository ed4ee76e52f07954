// Line editing on the terminal screen and the editor launches, on the test
// link with the simulated controller.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/transfer/editors.h"
#include "core/transfer/line_editing.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

struct EditingRig : TransferRig {
    EditingRig() {
        attach_sim();
        term.set_Rows(8);
    }
    // Shows lines as the controller lists them and puts the cursor on a row.
    void screen(const std::string& bytes, int row) {
        term.set_Disp("\x1b[2J\x1b[H" + bytes);
        term.set_CursorRow(row);
        term.set_CursorColumn(3);
    }
    std::string row(int r) {
        std::string text;
        dialogue.GetLineStr(r, text);
        return text;
    }
    transfer::LineEditing editing{
        {state, term, pump, dialogue, dialogs, console.shell, console.commands, ops, files},
        clipboard};
};

TEST(LineEditing, InsertOpensARowAboveTheCursorAndOffersTheMiddleNumber) {
    struct Case {
        std::string above, at;
        int blank;
        std::string offered;
    };
    const std::vector<Case> cases = {
        {"10\tA=1", "20\tB=2", 0, "15"},  {"10\tA=1", "11\tB=2", 0, ""},
        {"#10\tA=1", "13\tB=2", 0, "11"}, {"10\tA=1", "20\tB=2", 1, ""},
        {"PRINT 1", "20\tB=2", 0, ""},
    };
    for (const auto& c : cases) {
        EditingRig rig;
        rig.screen("#LIST\r\n" + c.above + "\r\n" + c.at + "\r\n#", 3);
        const std::string above = rig.row(2), at = rig.row(3);

        rig.editing.Lineins(c.blank);

        const int r = rig.term.CursorRow();
        EXPECT_EQ(rig.row(r - 1), above) << c.at;
        EXPECT_EQ(rig.row(r), c.offered) << c.at;
        EXPECT_EQ(rig.row(r + 1), at) << c.at;
        EXPECT_EQ(rig.term.CursorColumn(), c.offered.empty() ? 1 : 9) << c.at;
    }
}

TEST(LineEditing, DeleteRemovesTheRowAndItsLineInTheController) {
    struct Case {
        std::string row;
        std::string sent;
        std::string program;
    };
    const std::vector<Case> cases = {
        {"#20     B=2", "20\r", "10\tA=1\r\n30\tC=3"},
        {"20      B=2", "20\r", "10\tA=1\r\n30\tC=3"},
        {"PRINT B", "", "10\tA=1\r\n20\tB=2\r\n30\tC=3"},
    };
    for (const auto& c : cases) {
        EditingRig rig;
        rig.enter_program({"10 A=1", "20 B=2", "30 C=3"});
        rig.pump.run_for(100);
        rig.term.set_InBufferCount(0);
        rig.screen("10      A=1\r\n" + c.row + "\r\n30      C=3\r\n#", 2);
        rig.term.clear_sent();

        rig.editing.Linedel();

        EXPECT_EQ(rig.term.sent(), c.sent) << c.row;
        EXPECT_EQ(rig.row(1), "10      A=1");
        EXPECT_EQ(rig.row(2), "30      C=3");
        EXPECT_EQ(rig.term.CursorRow(), 2);
        EXPECT_NE(rig.list_program().find(c.program), std::string::npos) << c.row;
    }
}

TEST(LineEditing, CopyWithoutNumbersLeavesTheStatements) {
    EditingRig rig;
    rig.screen("#LIST\r\n10\tA=1\r\n100\tPRINT \"x\"\r\n12345\tB=2\r\n20\r\nREM 5\r\n#", 1);
    const std::string all = rig.term.Text();
    rig.term.set_SelStart(0);
    rig.term.set_SelLength(static_cast<int>(all.find("\r\n#\r\n") + 3));

    rig.editing.Copy_to_Clipboard(1);

    EXPECT_EQ(rig.clipboard.text(), "#LIST\r\nA=1\r\nPRINT \"x\"\r\nB=2\r\n20\r\nREM 5\r\n#");
    EXPECT_EQ(rig.term.SelLength(), 0);
}

// Starts nothing; records what would have started and how.
struct RecordingProcesses : platform::Processes {
    std::vector<std::string> starts;
    std::optional<int> run_and_wait(const std::string&, const std::vector<std::string>&,
                                    std::string&) override {
        return 0;
    }
    bool is_file(const std::string&) const override { return false; }
    std::unique_ptr<platform::RunningProgram> start(const std::string& program,
                                                    const std::vector<std::string>& args) override {
        starts.push_back("wait " + program + "|" + args.at(0));
        return std::make_unique<Ended>();
    }
    bool start_detached(const std::string& program, const std::vector<std::string>& args) override {
        starts.push_back("go " + program + "|" + args.at(0));
        return true;
    }
    struct Ended : platform::RunningProgram {
        bool ended() const override { return true; }
    };
};

// Offline, the file stays out of the history.
TEST(Editors, EachKindAsksForItsFileRecordsItAndStartsItsEditor) {
    using Launch = void (transfer::Editors::*)(int);
    struct Case {
        Launch launch;
        std::string file;
        console::ListId history;
        std::string started;  // before the file's path
    };
    const std::vector<Case> cases = {
        {&transfer::Editors::Edit_Prg, "a b.Q2K", console::ListId::ListBox2,
         "go /opt/qvt/kvbed2k|"},
        {&transfer::Editors::Edit_pnt, "p.P2K", console::ListId::ListBox3, "wait /usr/bin/pe|"},
        {&transfer::Editors::Edit_Mbk, "m.MBK", console::ListId::ListBox4, "wait /usr/bin/pe|"},
    };
    for (const auto& c : cases) {
        for (const int offline : {0, 1}) {
            TransferRig rig;
            RecordingProcesses processes;
            transfer::ProgramStarter starter(&processes, rig.pump, "/opt/qvt");
            const std::string editor = "\\kvbed2k", editor1 = "/usr/bin/pe";
            transfer::Editors editors({rig.state, rig.term, rig.pump, rig.dialogue, rig.dialogs,
                                       rig.console.shell, rig.console.commands, rig.ops, rig.files},
                                      rig.transfers.hooks, rig.transfers.histories,
                                      {editor, editor1}, starter);
            rig.dialogs.push_file(rig.dir.file(c.file));
            (editors.*c.launch)(offline);
            EXPECT_EQ(processes.starts, std::vector<std::string>{c.started + rig.dir.file(c.file)});
            EXPECT_EQ(rig.shell().list(c.history).count(), offline == 1 ? 0 : 1) << c.file;
        }
    }
}

}  // namespace
}  // namespace qvt::test
