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

struct Loaded {
    std::string result;
    std::uint32_t processed = 0;
    std::string listing;
};

Loaded load_file(TransferRig& rig, const std::string& content) {
    rig.prg_file = rig.dir.write("in.Q2K", content).string();
    rig.state.file_preselected = 1;
    rig.transfers.load.Load68k();
    Loaded out{rig.transfers.load.last_result(), rig.transfers.load.last_processed(), {}};
    out.listing = rig.list_program();
    return out;
}

TEST(QFileReader, LinesEndAtCrLfCrOrLfAndOnlyARegularFileOpens) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"A=1\r\nB=2\r\n", {"A=1", "B=2"}},
        {"A=1\nB=2\rC=3", {"A=1", "B=2", "C=3"}},
        {"A=1\r\n\nB=2\n\r", {"A=1", "", "B=2", ""}},
        {"A=1\n\x1AZ=2\n", {"A=1"}},
    };
    ScratchDir dir;
    // File names are UTF-8 on every system; Japanese ones are common.
    const std::u8string name = (dir.path() / u8"\u3042.Q2K").u8string();
    for (const auto& [bytes, expected] : cases) {
        std::ofstream(std::filesystem::path(name), std::ios::binary) << bytes;
        transfer::QFileReader reader;
        ASSERT_TRUE(reader.open(std::string(name.begin(), name.end())));
        std::vector<std::string> lines;
        while (!reader.eof())
            lines.push_back(reader.read_line());
        EXPECT_EQ(lines, expected) << bytes;
    }

    // A folder carrying a program file's name (dropped, or typed after LOAD)
    // opens but cannot be read; a pipe would wait for a writer, a device
    // never ends. All must be refused before NEW clears the controller's program.
    std::vector<std::string> refused = special_files(dir.path());
    refused.push_back(dir.mkdir("folder.Q2K").string());
    refused.push_back(dir.file("no.Q2K"));
    for (const std::string& path : refused) {
        transfer::QFileReader reader;
        EXPECT_FALSE(reader.open(path)) << path;
    }
}

TEST(Load, EmptyFileRunsTheWholeConversation) {
    TransferRig rig;
    rig.attach_sim();
    rig.enter_program({"10 OLD=1"});
    rig.term.clear_sent();
    const Loaded r = load_file(rig, "");
    EXPECT_EQ(r.result, "Completed");
    EXPECT_EQ(r.listing, "");
    EXPECT_TRUE(in_order(rig.term.sent(), {"\x01", "VER\r", "NEW\r", "ECHO 2\r", " \r \r", " \r \r",
                                           "ECHO\r\r", "RENUM 10\r"}))
        << rig.term.sent();
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_TRUE(rig.progress().main_window_enabled());
    EXPECT_EQ(rig.shell().list(console::ListId::ListBox2).item(0), rig.prg_file);
}

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
        const Loaded r = load_file(rig, c.file);
        EXPECT_EQ(r.listing, c.listing) << c.name;
        EXPECT_EQ(r.processed, c.processed) << c.name;
        EXPECT_EQ(r.result, "Completed") << c.name;
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

TEST(Load, AbortInMidFileStillClosesAndRenumbers) {
    TransferRig rig;
    rig.attach_sim({.baud = 9600});
    std::string file;
    for (int i = 1; i <= 300; ++i)
        file += 'A' + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    rig.pump.post_at(rig.pump.now_ms() + 900, [&] { rig.progress().Button1Click(); });
    const Loaded r = load_file(rig, file);
    EXPECT_EQ(r.result, "Aborted");
    EXPECT_GT(r.processed, 5u);
    EXPECT_LT(r.processed, 300u);
    const std::string last = 'A' + std::to_string(r.processed) + "=";
    EXPECT_NE(r.listing.find("\tA1=1\r\n"), std::string::npos);
    EXPECT_NE(r.listing.find(last), std::string::npos);
    EXPECT_EQ(r.listing.find('A' + std::to_string(r.processed + 1) + "="), std::string::npos);
    EXPECT_TRUE(in_order(rig.term.sent(), {last, " \r \r", " \r \r", "ECHO\r\r", "RENUM 10\r"}));
}

// A controller that never gives the prompt after NEW: Abort still ends the load.
TEST(Load, AbortEndsAWaitForAPromptThatNeverComes) {
    TransferRig rig;
    rig.term.set_responder([&](const std::string& chunk, Millis) {
        if (chunk.find("NEW\r") == std::string::npos) rig.term.deliver("\r\n#");
    });
    rig.pump.post_at(rig.pump.now_ms() + 5000, [&] { rig.progress().Button1Click(); });
    rig.prg_file = rig.dir.write("in.Q2K", "A=1\r\n").string();
    rig.state.file_preselected = 1;
    rig.transfers.load.Load68k();
    EXPECT_EQ(rig.transfers.load.last_result(), "Aborted");
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_TRUE(rig.progress().main_window_enabled());
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

TEST(Load, PortGoneMidLoadPutsEverythingBack) {
    TransferRig rig;
    rig.attach_sim({.baud = 9600});
    std::string file;
    for (int i = 1; i <= 300; ++i)
        file += 'A' + std::to_string(i) + "=1\r\n";
    rig.prg_file = rig.dir.write("in.Q2K", file).string();
    rig.state.file_preselected = 1;
    rig.pump.post_at(rig.pump.now_ms() + 1500, [&] { rig.term.fail_port(); });
    rig.transfers.load.Load68k();
    // The lost port is reported once, by the connection; the load adds no box.
    for (const auto& m : rig.dialogs.messages())
        EXPECT_NE(m.icon, MsgIcon::Error) << m.text;
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_TRUE(rig.progress().main_window_enabled());
}

// The acknowledgement wait on scripted bytes, one byte a read as in the load.
TEST(LoadAck, RepliesAsTheyArrive) {
    const std::string ja(transfer::kOverflowJa);
    const std::string over = "Program area is over flowed\r\n";
    struct Case {
        const char* name;
        std::vector<std::pair<Millis, std::string>> arrivals;
        std::string shown;
        int outcome;  // 1: next line, 0: overflow, -1: time out
    };
    const Case cases[] = {
        {"message after the line", {{5, "Err\r\n\r\n#"}}, "(Line:7) Err\r\n\r\n", 1},
        {"# inside a message is text", {{5, "a#b\r\n\r\n#"}}, "(Line:7) a#b\r\n\r\n", 1},
        {"overflow ends the wait", {{5, over}}, "(Line:7) " + over, 0},
        {"Japanese overflow", {{5, ja + "\r\n"}}, "(Line:7) " + ja + "\r\n", 0},
        {"ack just in time", {{2000, "\r\n#"}}, "", 1},
        {"ack after 2.5 s", {{2500, "\r\n#"}}, "", -1},
        {"other bytes do not extend the time", {{1000, "x"}, {1900, "y"}, {2500, "\r\n#"}}, "", -1},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.term.set_InputLen(1);
        rig.transfers.counter.load_line_no = 7;
        const Millis start = rig.pump.now_ms();
        for (const auto& [t, bytes] : c.arrivals)
            rig.term.deliver_at(start + t, bytes);
        rig.transfers.load.Load68k_Sub2(true);
        EXPECT_EQ(rig.term.disp_all(), c.shown) << c.name;
        EXPECT_EQ(rig.transfers.counter.load_line_no, c.outcome == 1 ? 8 : 7) << c.name;
        EXPECT_EQ(rig.state.abort_request, c.outcome < 0 ? 1 : 0) << c.name;
        EXPECT_EQ(rig.dialogs.last_text(), c.outcome < 0 ? "Time Out" : "") << c.name;
        if (c.outcome < 0) {
            EXPECT_LE(rig.pump.now_ms() - start, 2001) << c.name;
        }
    }
}

}  // namespace
}  // namespace qvt::test
