// Program save against the simulated controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

using platform::MsgIcon;

TEST(Save, WritesTheListingAndRestoresTheWindow) {
    TransferRig rig;
    rig.attach_sim();
    rig.enter_program(
        {"10 A=1", "20 PRINT \"x'y\" 'shown", "30 B=123456 'note", "40 *L1: GOTO *L1"});
    rig.term.clear_sent();
    const std::string target = rig.dir.file("prog.Q2K");
    rig.dialogs.push_file(target);
    rig.prg_file = rig.dir.file("old.Q2K");

    rig.transfers.save.Save68k();

    const auto& req = rig.dialogs.file_requests().at(0);
    EXPECT_TRUE(req.save);
    EXPECT_TRUE(req.overwrite_prompt);
    EXPECT_FALSE(req.must_exist);
    EXPECT_FALSE(req.no_change_dir);
    EXPECT_EQ(req.title, "Save Program");
    EXPECT_EQ(req.initial_file, rig.dir.file("old"));  // extension removed
    EXPECT_EQ(ScratchDir::read(target), "A=1\r\nPRINT \"x'y\" " + std::string(20, ' ') +
                                            "'shown\r\nB=123456 " + std::string(23, ' ') +
                                            "'note\r\n*L1: GOTO *L1\r\n");
    EXPECT_EQ(rig.prg_file, target);
    EXPECT_EQ(rig.dialogs.last_text(), "Completed");
    const std::string& sent = rig.term.sent();
    EXPECT_EQ(sent.find("\x01"), 0u);
    EXPECT_LT(sent.find("LIST 0 0\r"), sent.find("LIST 0 20\r"));
    EXPECT_EQ(sent.substr(sent.size() - 1), "\r");
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_FALSE(rig.progress().visible());
    EXPECT_TRUE(rig.progress().main_window_enabled());
    EXPECT_EQ(rig.progress().caption(), "Save Program");
    EXPECT_EQ(rig.progress().label3(), "Saving...");
    EXPECT_EQ(rig.shell().lamp(), console::Lamp::Lime);
    EXPECT_EQ(rig.shell().list(console::ListId::ListBox2).item(0), target);
    EXPECT_EQ(rig.shell().memo_text(), "[SAVE]" + target + "\r\n");
    EXPECT_EQ(rig.dir.entries().size(), 1u);  // no temporary file left
}

TEST(Save, EmptyProgramGivesAnEmptyFile) {
    TransferRig rig;
    rig.attach_sim();
    rig.prg_file = rig.dir.write("p.Q2K", "old content\r\n");
    rig.state.file_preselected = 1;
    rig.transfers.save.Save68k();
    EXPECT_TRUE(rig.dialogs.file_requests().empty());
    EXPECT_EQ(rig.state.file_preselected, 0);
    EXPECT_EQ(ScratchDir::read(rig.prg_file), "");
    EXPECT_EQ(rig.dialogs.last_text(), "Completed");
}

// Saving over a program file changes its content only: a link keeps pointing
// at the file it names, and the file keeps its permissions.
TEST(Save, ExistingFileKeepsItsLinkAndMode) {
    TransferRig rig;
    rig.attach_sim();
    rig.enter_program({"10 A=1"});
    const std::string real = rig.dir.write("real.Q2K", "old content\r\n");
    std::filesystem::permissions(
        real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read | std::filesystem::perms::group_write);
    const std::string link = rig.dir.file("link.Q2K");
    std::filesystem::create_symlink(real, link);
    rig.prg_file = link;
    rig.state.file_preselected = 1;
    rig.transfers.save.Save68k();
    EXPECT_EQ(rig.dialogs.last_text(), "Completed");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ScratchDir::read(real), "A=1\r\n");
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read | std::filesystem::perms::group_write);
    EXPECT_EQ(rig.dir.entries().size(), 2u);  // no temporary file left
}

TEST(Save, CancelOrUnwritableFileSendsNothing) {
    TransferRig rig;
    rig.attach_sim();
    rig.prg_file = rig.dir.file("p.Q2K");
    rig.transfers.save.Save68k();  // no file queued: cancelled
    EXPECT_EQ(rig.term.sent(), "");
    EXPECT_TRUE(rig.dialogs.messages().empty());
    EXPECT_EQ(rig.prg_file, rig.dir.file("p.Q2K"));  // the name as it was

    rig.prg_file = rig.dir.file("missing/folder/p.Q2K");
    rig.state.file_preselected = 1;
    rig.transfers.save.Save68k();
    EXPECT_EQ(rig.term.sent(), "");
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.messages()[0].caption, "QVTW");
    EXPECT_EQ(rig.dialogs.messages()[0].text, "File Open Error " + rig.prg_file);
    EXPECT_EQ(rig.dialogs.messages()[0].icon, MsgIcon::Error);
}

std::vector<std::string> numbered_lines(int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i)
        lines.push_back(std::to_string(i * 10) + " A" + std::to_string(i) + "=" +
                        std::to_string(i));
    return lines;
}

TEST(Save, PortGoneMidSaveLeavesTheOldFileUnchanged) {
    TransferRig rig;
    rig.attach_sim({.baud = 9600});
    rig.enter_program(numbered_lines(200));
    rig.prg_file = rig.dir.write("p.Q2K", "the old program\r\n");
    rig.state.file_preselected = 1;
    // The listing at 9600 baud takes about 3 s; the port vanishes in the middle.
    rig.pump.post_at(rig.pump.now_ms() + 1500, [&] { rig.term.fail_port(); });

    rig.transfers.save.Save68k();

    EXPECT_EQ(ScratchDir::read(rig.prg_file), "the old program\r\n");
    EXPECT_EQ(rig.dir.entries().size(), 1u);
    EXPECT_TRUE(rig.dialogs.messages().empty());  // the lost port is reported once, elsewhere
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_FALSE(rig.progress().visible());
    EXPECT_TRUE(rig.progress().main_window_enabled());
    EXPECT_EQ(rig.shell().lamp(), console::Lamp::Lime);
    EXPECT_TRUE(rig.shell().menu_enabled(console::MenuItem::Save1));
}

// An aborted save never costs the user an existing file; a new file keeps
// what was listed. Abort also ends a save whose controller has gone silent.
TEST(Save, AbortKeepsAnExistingFileWholeAndANewFileWhatWasListed) {
    struct Case {
        const char* name;
        bool existing;
        bool silent;
    };
    for (const Case c : {Case{"existing", true, false}, Case{"new", false, false},
                         Case{"silent controller", true, true}}) {
        TransferRig rig;
        if (c.silent) {
            // The stop is answered, the listing never comes.
            rig.term.deliver_at(rig.pump.now_ms() + 10, "\r\n#");
        } else {
            rig.attach_sim({.baud = 9600});
            rig.enter_program(numbered_lines(200));
        }
        rig.prg_file = c.existing ? rig.dir.write("p.Q2K", "old\r\n") : rig.dir.file("p.Q2K");
        rig.state.file_preselected = 1;
        const auto abort_at = rig.pump.now_ms() + 1000;
        rig.pump.post_at(abort_at, [&] { rig.progress().Button1Click(); });

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
        EXPECT_EQ(rig.dialogs.last_text().rfind("Aborted", 0), 0u) << rig.dialogs.last_text();
        EXPECT_EQ(rig.dir.entries().size(), 1u) << c.name;  // no temporary file left
        EXPECT_EQ(rig.state.transfer_mode, 0);
        EXPECT_TRUE(rig.progress().main_window_enabled());
        // Two bounded prompt waits and the fixed pauses, then it is over.
        EXPECT_LT(rig.pump.now_ms() - abort_at, 6000) << c.name;
        // Ctrl-A twice: the stop before the listing and the abort.
        EXPECT_EQ(std::count(rig.term.sent().begin(), rig.term.sent().end(), '\x01'), 2) << c.name;
    }
}

TEST(Save, PromptAnsweringTheStopIsNotTakenByTheReceiveHandler) {
    TransferRig rig;
    rig.attach_sim();
    rig.attach_receive();
    rig.enter_program(numbered_lines(3));
    rig.prg_file = rig.dir.file("p.Q2K");
    rig.state.file_preselected = 1;
    rig.transfers.save.Save68k();
    EXPECT_EQ(ScratchDir::read(rig.prg_file), "A1=1\r\nA2=2\r\nA3=3\r\n");
}

}  // namespace
}  // namespace qvt::test
