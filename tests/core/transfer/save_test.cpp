// Program save against the simulated controller, and the file dialog wrapper.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/transfer/file_dialog.h"
#include "tests/core/transfer/transfer_rig.h"
#include "tests/support/posix_files.h"

namespace qvt::test {
namespace {

// The receive handler is installed, as in the program: the prompt answering
// the stop must not be taken by it. How comments are padded is the listing
// parser's test.
TEST(Save, WritesTheListingAndRestoresTheWindow) {
    TransferRig rig;
    rig.attach_sim();
    rig.attach_receive();
    rig.enter_program({"10 A=1", "20 B=123456 'note", "30 *L1: GOTO *L1"});
    rig.term.clear_sent();
    const std::string target = rig.dir.file("prog.Q2K");
    rig.dialogs.push_file(target);
    rig.prg_file = rig.dir.file("old.Q2K");

    rig.transfers.save.Save68k();

    const auto& req = rig.dialogs.file_requests().at(0);
    EXPECT_TRUE(req.save && req.overwrite_prompt);
    EXPECT_EQ(req.initial_file, rig.dir.file("old"));  // extension removed
    EXPECT_EQ(ScratchDir::read(target),
              "A=1\r\nB=123456 " + std::string(23, ' ') + "'note\r\n*L1: GOTO *L1\r\n");
    EXPECT_EQ(rig.prg_file, target);
    EXPECT_EQ(rig.dialogs.last_text(), "Completed");
    const std::string& sent = rig.term.sent();
    EXPECT_EQ(sent.find("\x01"), 0u);
    EXPECT_LT(sent.find("LIST 0 0\r"), sent.find("LIST 0 20\r"));
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_TRUE(rig.progress().main_window_enabled());
    EXPECT_EQ(rig.shell().list(console::ListId::ListBox2).item(0), target);
    EXPECT_EQ(rig.dir.entries().size(), 1u);  // no temporary file left
}

// Saving over a program file changes its content only: a link keeps pointing
// at the file it names, and the file keeps its permissions. An empty program
// empties the file.
TEST(Save, ExistingFileKeepsItsLinkAndMode) {
    QVT_SKIP_UNLESS_POSIX_FILES("Symbolic links and permission bits");
    namespace fs = std::filesystem;
    TransferRig rig;
    rig.attach_sim();
    const std::string real = rig.dir.write("real.Q2K", "old content\r\n").string();
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(real, mode);
    rig.prg_file = rig.dir.file("link.Q2K");
    fs::create_symlink(real, rig.prg_file);
    rig.state.file_preselected = 1;
    rig.transfers.save.Save68k();
    EXPECT_EQ(rig.dialogs.last_text(), "Completed");
    EXPECT_TRUE(fs::is_symlink(rig.prg_file));
    EXPECT_EQ(ScratchDir::read(real), "");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, mode);
    EXPECT_EQ(rig.dir.entries().size(), 2u);  // no temporary file left
}

// A file that may not be written, or whose folder is missing, is refused
// before anything is sent; one another program holds open may only fail when
// it is replaced. Either way it is reported and stays whole.
TEST(Save, AFileThatCannotBeReplacedIsReportedAndStaysWhole) {
    namespace fs = std::filesystem;
    for (const std::string how : {"read-only", "held open", "no folder"}) {
        TransferRig rig;
        rig.attach_sim();
        rig.enter_program({"10 A=1"});
        rig.term.clear_sent();
        rig.prg_file = how == "no folder" ? rig.dir.file("missing/p.Q2K")
                                          : rig.dir.write("p.Q2K", "old\r\n").string();
        if (how == "read-only") fs::permissions(rig.prg_file, fs::perms::owner_read);
        std::ifstream held(rig.prg_file, std::ios::binary);
        rig.state.file_preselected = 1;
        rig.transfers.save.Save68k();
        if (how == "no folder" || (how == "read-only" && permissions_bind_the_user())) {
            EXPECT_EQ(rig.dialogs.last_text(), "File Open Error " + rig.prg_file) << how;
            EXPECT_EQ(rig.term.sent(), "") << how;
        }
        if (how == "no folder") continue;
        const bool saved = rig.dialogs.last_text() == "Completed";
        EXPECT_EQ(ScratchDir::read(rig.prg_file), saved ? "A=1\r\n" : "old\r\n") << how;
        fs::permissions(rig.prg_file, fs::perms::owner_all);
    }
}

// A cancelled Save or Read Label dialog leaves the current name as it was
// (extension included).
TEST(Save, CancelKeepsTheName) {
    TransferRig rig;
    rig.prg_file = rig.dir.file("p.Q2K");
    rig.transfers.save.Save68k();  // no file queued: cancelled
    rig.transfers.labels.Label_Read();
    EXPECT_EQ(rig.prg_file, rig.dir.file("p.Q2K"));
    EXPECT_TRUE(rig.dialogs.messages().empty());
    EXPECT_EQ(rig.term.sent(), "");
}

// An aborted save never costs the user an existing file; a new file keeps
// what was listed. Abort also ends a save whose controller has gone silent.
// A port that vanishes in mid-listing (at 9600 baud it takes about 3 s) is
// reported once, by the connection: the save adds no box.
TEST(Save, AbortOrLostPortKeepsAnExistingFileWholeAndANewFileWhatWasListed) {
    struct Case {
        const char* name;
        bool existing, silent, port_gone;
    };
    for (const Case c :
         {Case{"existing", true, false, false}, Case{"new", false, false, false},
          Case{"silent controller", true, true, false}, Case{"port gone", true, false, true}}) {
        TransferRig rig;
        if (c.silent) {
            // The stop is answered, the listing never comes.
            rig.term.deliver_at(rig.pump.now_ms() + 10, "\r\n#");
        } else {
            rig.attach_sim({.baud = 9600});
            for (int i = 1; i <= 200; ++i)
                rig.enter_program({std::to_string(i * 10) + " A" + std::to_string(i) + "=1"});
        }
        rig.prg_file = rig.dir.file("p.Q2K");
        if (c.existing) rig.dir.write("p.Q2K", "old\r\n");
        rig.state.file_preselected = 1;
        const auto abort_at = rig.pump.now_ms() + 1000;
        rig.pump.post_at(
            abort_at, [&] { c.port_gone ? rig.term.fail_port() : rig.progress().Button1Click(); });

        rig.transfers.save.Save68k();

        const std::string file = ScratchDir::read(rig.prg_file);
        if (c.existing) {
            EXPECT_EQ(file, "old\r\n") << c.name;
        } else {
            EXPECT_EQ(file.rfind("A1=1\r\n", 0), 0u) << file.substr(0, 40);
            const auto lines = std::count(file.begin(), file.end(), '\n');
            EXPECT_GT(lines, 10);
            EXPECT_LT(lines, 200);
        }
        EXPECT_EQ(rig.dir.entries().size(), 1u) << c.name;  // no temporary file left
        EXPECT_EQ(rig.state.transfer_mode, 0);
        EXPECT_TRUE(rig.progress().main_window_enabled());
        if (c.port_gone) {
            EXPECT_TRUE(rig.dialogs.messages().empty());
            continue;
        }
        EXPECT_EQ(rig.dialogs.last_text().rfind("Aborted", 0), 0u) << rig.dialogs.last_text();
        // Two bounded prompt waits and the fixed pauses, then it is over.
        EXPECT_LT(rig.pump.now_ms() - abort_at, 6000) << c.name;
        // Ctrl-A twice: the stop before the listing and the abort.
        EXPECT_EQ(std::count(rig.term.sent().begin(), rig.term.sent().end(), '\x01'), 2) << c.name;
    }
}

// Cancel is checked with the save.
TEST(FileDialog, NameStoredWithTheDefaultExtension) {
    ScriptedDialogs dialogs;
    transfer::FileDialogOptions o;
    o.default_ext = "Q2K";
    o.open = false;
    o.filter = {{"Q2K (*.Q2K)", "*.Q2K"}};
    std::string name = "/d/prog";
    dialogs.push_file("/d/new");
    EXPECT_TRUE(transfer::OpenSaveFileDialog(dialogs, o, name));
    EXPECT_EQ(name, "/d/new.Q2K");
    dialogs.push_file("/d/v1.2/x.q2k");
    EXPECT_TRUE(transfer::OpenSaveFileDialog(dialogs, o, name));
    EXPECT_EQ(name, "/d/v1.2/x.q2k");

    // A missing file does not pass where it must exist.
    o.must_exist = true;
    dialogs.push_file("/nonexistent/dir/p.Q2K");
    EXPECT_FALSE(transfer::OpenSaveFileDialog(dialogs, o, name));
    EXPECT_EQ(name, "/d/v1.2/x.q2k");
}

}  // namespace
}  // namespace qvt::test
