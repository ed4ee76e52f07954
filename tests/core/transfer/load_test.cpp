// Program load against the simulated controller and against scripted replies,
// and the program file reader it shares with the label list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/transfer/load.h"
#include "core/transfer/qfile.h"
#include "tests/core/transfer/transfer_rig.h"
#include "tests/support/posix_files.h"

namespace qvt::test {
namespace {

using platform::MsgIcon;

// Whether each needle follows the one before it.
bool in_order(const std::string& hay, const std::vector<std::string>& needles) {
    std::size_t at = 0;
    for (const auto& n : needles) {
        at = hay.find(n, at);
        if (at == std::string::npos) return false;
        at += n.size();
    }
    return true;
}

void load_file(TransferRig& rig, const std::string& content) {
    rig.prg_file = rig.dir.write("in.Q2K", content).string();
    rig.state.file_preselected = 1;
    rig.transfers.load.Load68k();
}

// Line ends and Ctrl-Z are checked against a model by the fuzzing harness.
// File names are UTF-8 on every system; Japanese ones are common. A folder
// carrying a program file's name (dropped, or typed after LOAD) opens but
// cannot be read; a pipe would wait for a writer, a device never ends. All
// must be refused before NEW clears the controller's program.
TEST(QFileReader, OnlyARegularFileOpens) {
    ScratchDir dir;
    const std::u8string name = (dir.path() / u8"\u3042.Q2K").u8string();
    std::ofstream(std::filesystem::path(name), std::ios::binary) << "A=1\r\n";
    transfer::QFileReader reader;
    ASSERT_TRUE(reader.open(std::string(name.begin(), name.end())));
    EXPECT_EQ(reader.read_line(), "A=1");

    std::vector<std::string> refused = special_files(dir.path());
    refused.push_back(dir.mkdir("folder.Q2K").string());
    refused.push_back(dir.file("no.Q2K"));
    for (const std::string& path : refused) {
        transfer::QFileReader other;
        EXPECT_FALSE(other.open(path)) << path;
    }
}

// Every load, an empty file's too, clears the program it replaces and
// closes load mode with the renumbering.
TEST(Load, FileLinesBecomeControllerLines) {
    struct Case {
        const char* name;
        std::string file;
        std::string listing;  // after RENUM 10
        std::uint32_t processed;
        std::vector<console::LabelRow> labels = {};
        kvb::sim::Options sim = {};
    };
    const Case cases[] = {
        {"empty file", "", "", 0},
        {"blank and comment-only lines send nothing", "A=1\r\n\r\n   \r\n/* note */\r\nB=2\r\n",
         "10\tA=1\r\n20\tB=2\r\n", 5},
        {"comment is cut, TAB becomes a blank", "A=1\t:B=2 /* set */\r\n", "10\tA=1 :B=2\r\n", 1},
        {"END_OF_LOAD in a comment ends the file", "A=1\r\n/* END_OF_LOAD */\r\nB=2\r\n",
         "10\tA=1\r\n", 1},
        {"END_OF_LOAD outside a comment is sent", "A=1\r\nPRINT \"END_OF_LOAD\"\r\nB=2\r\n",
         "10\tA=1\r\n20\tPRINT \"END_OF_LOAD\"\r\n30\tB=2\r\n", 3},
        {"labels",
         "\r\n*START: B=2\r\n*:C=3\r\n  *END : GOTO *START\r\n",
         "10\t*START: B=2\r\n20\t*END : GOTO *START\r\n",
         4,
         {{"START", "2"}, {"END", "4"}}},
        {"the load goes on after an overflow",
         "A=1\r\nB=2\r\nC=3333333333333333333\r\nD=4\r\n",
         "10\tA=1\r\n20\tB=2\r\n30\tD=4\r\n",
         4,
         {},
         {.program_area_bytes = 30}},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.attach_sim(c.sim);
        rig.shell().labels().set_rows({{"STALE", "1"}});
        rig.enter_program({"10 OLD=1"});
        rig.term.clear_sent();
        load_file(rig, c.file);
        EXPECT_TRUE(in_order(rig.term.sent(), {"\x01", "VER\r", "NEW\r", "ECHO 2\r", " \r \r",
                                               " \r \r", "ECHO\r\r", "RENUM 10\r"}))
            << rig.term.sent();
        EXPECT_EQ(rig.state.transfer_mode, 0);
        EXPECT_TRUE(rig.progress().main_window_enabled());
        EXPECT_EQ(rig.shell().list(console::ListId::ListBox2).item(0), rig.prg_file);
        EXPECT_EQ(rig.transfers.load.last_result(), "Completed") << c.name;
        EXPECT_EQ(rig.transfers.load.last_processed(), c.processed) << c.name;
        EXPECT_EQ(rig.list_program(), c.listing) << c.name;
        if (!c.labels.empty()) {
            EXPECT_EQ(rig.shell().labels().rows(), c.labels) << c.name;
        }
    }
}

TEST(Load, LongLineIsWarnedAndSentAnyway) {
    // 250 bytes with 2 colons as line 7: 250 + 4 + 1 + 2 = 257.
    const std::string stmt = "A=1:B=2:C=\"" + std::string(250 - 12, 'x') + "\"";
    TransferRig rig;
    rig.attach_sim();
    load_file(rig, "\r\n\r\n\r\n\r\n\r\n\r\n" + stmt + "\r\n");
    EXPECT_NE(rig.term.disp_all().find("/*WARNING:too long!(line 7,len 257)*/ " + stmt + "\r\n"),
              std::string::npos);
    EXPECT_NE(rig.term.sent().find(stmt + "\r"), std::string::npos);
}

// An abort in mid-file still ends load mode and renumbers what arrived; it
// also ends a wait for a prompt that never comes (here the one after NEW). A
// port lost in mid-load is reported once, by the connection: the load adds no
// box. Every way, the window is given back.
TEST(Load, AbortOrLostPortEndsTheLoadAndGivesTheWindowBack) {
    std::string file;
    for (int i = 1; i <= 300; ++i)
        file += 'A' + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    for (const std::string how : {"abort", "no prompt after NEW", "port gone"}) {
        TransferRig rig;
        if (how == "no prompt after NEW") {
            rig.term.set_responder([&](const std::string& chunk, Millis) {
                if (chunk.find("NEW\r") == std::string::npos) rig.term.deliver("\r\n#");
            });
        } else {
            rig.attach_sim({.baud = 9600});
        }
        rig.pump.post_at(rig.pump.now_ms() + 1500, [&] {
            how == "port gone" ? rig.term.fail_port() : rig.progress().Button1Click();
        });
        load_file(rig, file);
        EXPECT_EQ(rig.state.transfer_mode, 0) << how;
        EXPECT_TRUE(rig.progress().main_window_enabled()) << how;
        if (how == "port gone") {
            for (const auto& m : rig.dialogs.messages())
                EXPECT_NE(m.icon, MsgIcon::Error) << m.text;
            continue;
        }
        EXPECT_EQ(rig.transfers.load.last_result(), "Aborted") << how;
        if (how != "abort") continue;
        const auto processed = rig.transfers.load.last_processed();
        EXPECT_GT(processed, 5u);
        EXPECT_LT(processed, 300u);
        const std::string last = 'A' + std::to_string(processed) + "=";
        const std::string listing = rig.list_program();
        EXPECT_NE(listing.find("\tA1=1\r\n"), std::string::npos);
        EXPECT_NE(listing.find(last), std::string::npos);
        EXPECT_EQ(listing.find('A' + std::to_string(processed + 1) + "="), std::string::npos);
        EXPECT_TRUE(
            in_order(rig.term.sent(), {last, " \r \r", " \r \r", "ECHO\r\r", "RENUM 10\r"}));
    }
}

TEST(Load, UnreadableFileOrCancelTouchesNothing) {
    TransferRig rig;
    rig.attach_sim();
    rig.prg_file = rig.dir.file("nope.Q2K");
    rig.state.file_preselected = 1;
    rig.transfers.load.Load68k();
    EXPECT_EQ(rig.dialogs.last_text(), "File Open Error " + rig.prg_file);
    EXPECT_EQ(rig.term.sent(), "");

    rig.prg_file = rig.dir.write("p.Q2K", "A=1\r\n").string();
    rig.dialogs.push_file(rig.prg_file);
    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    rig.transfers.load.Load68k();
    // A name typed into the open dialog reaches the load, which reports it.
    EXPECT_FALSE(rig.dialogs.file_requests().back().must_exist);
    EXPECT_EQ(rig.term.sent(), "");
}

// The acknowledgement wait on scripted bytes, one byte a read as in the load.
// Its time limit is checked by the fuzzing harness.
TEST(LoadAck, RepliesAsTheyArrive) {
    const std::string ja(transfer::kOverflowJa);
    const std::string over = "Program area is over flowed\r\n";
    struct Case {
        const char* name;
        std::string reply;
        std::string shown;
        bool next;  // false: overflow
    };
    const Case cases[] = {
        {"message after the line", "Err\r\n\r\n#", "(Line:7) Err\r\n\r\n", true},
        {"# inside a message is text", "a#b\r\n\r\n#", "(Line:7) a#b\r\n\r\n", true},
        {"overflow ends the wait", over, "(Line:7) " + over, false},
        {"Japanese overflow", ja + "\r\n", "(Line:7) " + ja + "\r\n", false},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.term.set_InputLen(1);
        rig.transfers.counter.load_line_no = 7;
        rig.term.deliver_at(rig.pump.now_ms() + 5, c.reply);
        rig.transfers.load.Load68k_Sub2(true);
        EXPECT_EQ(rig.term.disp_all(), c.shown) << c.name;
        EXPECT_EQ(rig.transfers.counter.load_line_no, c.next ? 8 : 7) << c.name;
        EXPECT_EQ(rig.state.abort_request, 0) << c.name;
    }
}

}  // namespace
}  // namespace qvt::test
