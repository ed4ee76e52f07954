// Program load against the simulated controller and against scripted replies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/transfer/load.h"
#include "tests/core/transfer/transfer_rig.h"

namespace qvt::test {
namespace {

using platform::MsgIcon;

// Positions of each needle in order, npos for one missing or out of order.
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
    rig.prg_file = rig.dir.write("in.Q2K", content);
    rig.state.file_preselected = 1;
    rig.transfers.load.Load68k();
    Loaded out{rig.transfers.load.last_result(), rig.transfers.load.last_processed(), {}};
    out.listing = rig.list_program();
    return out;
}

const std::vector<std::string> kClosing = {" \r \r", " \r \r", "ECHO\r\r", "RENUM 10\r"};

TEST(Load, EmptyFileRunsTheWholeConversation) {
    TransferRig rig;
    rig.attach_sim();
    rig.enter_program({"10 OLD=1"});
    rig.term.clear_sent();
    const Loaded r = load_file(rig, "");
    EXPECT_EQ(r.result, "Completed");
    EXPECT_EQ(r.processed, 0u);
    EXPECT_EQ(r.listing, "");
    EXPECT_TRUE(in_order(rig.term.sent(), {"\x01", "VER\r", "NEW\r", "ECHO 2\r", " \r \r", " \r \r",
                                           "ECHO\r\r", "RENUM 10\r"}))
        << rig.term.sent();
    EXPECT_EQ(rig.progress().label1(), "0");
    EXPECT_EQ(rig.dialogs.messages().at(0).text,
              "Load Program File: \r\n" + rig.prg_file +
                  "\r\n\r\nCurrent program is deleted from the KVB.\r\n");
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_EQ(rig.term.InputLen(), 0);
    EXPECT_FALSE(rig.progress().visible());
    EXPECT_TRUE(rig.progress().main_window_enabled());
    EXPECT_EQ(rig.shell().list(console::ListId::ListBox2).item(0), rig.prg_file);
}

TEST(Load, FileLinesBecomeControllerLines) {
    struct Case {
        const char* name;
        std::string file;
        std::string listing;  // after RENUM 10
        std::uint32_t processed;
        std::string result;
    };
    const Case cases[] = {
        {"plain lines", "A=1\r\nB=2\r\n", "10\tA=1\r\n20\tB=2\r\n", 2, "Completed"},
        {"blank and comment-only lines send nothing", "A=1\r\n\r\n   \r\n/* note */\r\nB=2\r\n",
         "10\tA=1\r\n20\tB=2\r\n", 5, "Completed"},
        {"comment is cut, TAB becomes a blank", "A=1\t:B=2 /* set */\r\n", "10\tA=1 :B=2\r\n", 1,
         "Completed"},
        {"END_OF_LOAD in a comment ends the file", "A=1\r\n/* END_OF_LOAD */\r\nB=2\r\n",
         "10\tA=1\r\n", 1, "Completed"},
        {"END_OF_LOAD outside a comment is sent", "A=1\r\nPRINT \"END_OF_LOAD\"\r\nB=2\r\n",
         "10\tA=1\r\n20\tPRINT \"END_OF_LOAD\"\r\n30\tB=2\r\n", 3, "Completed"},
        {"lone LF stays inside the line, Ctrl-Z ends the file",
         "A=1\r\nB=2\x1A"
         "C=3\r\n",
         "10\tA=1\r\n20\tB=2\r\n", 2, "Completed"},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.attach_sim();
        const Loaded r = load_file(rig, c.file);
        EXPECT_EQ(r.listing, c.listing) << c.name;
        EXPECT_EQ(r.processed, c.processed) << c.name;
        EXPECT_EQ(r.result, c.result) << c.name;
    }
}

TEST(Load, LabelLinesFillTheLabelList) {
    TransferRig rig;
    rig.attach_sim();
    rig.shell().labels().set_rows({{"STALE", "1"}});
    const Loaded r = load_file(rig, "A=1\r\n\r\n*START: B=2\r\n*:C=3\r\n  *END : GOTO *START\r\n");
    EXPECT_EQ(r.result, "Completed");
    const std::vector<console::LabelRow> expected = {{"START", "3"}, {"END", "5"}};
    EXPECT_EQ(rig.shell().labels().rows(), expected);
    EXPECT_NE(r.listing.find("*START: B=2"), std::string::npos);
}

TEST(Load, LongLineIsWarnedAndSentAnyway) {
    // 250 bytes with 2 colons as line 7: 250 + 4 + 1 + 2 = 257.
    std::string stmt = "A=1:B=2:C=\"" + std::string(250 - 12, 'x') + "\"";
    ASSERT_EQ(stmt.size(), 250u);
    EXPECT_EQ(transfer::load_length_estimate(stmt, 7), 257u);
    EXPECT_EQ(transfer::load_length_estimate(std::string(243, 'x'), 99), 247u);

    TransferRig rig;
    rig.attach_sim();
    std::string file;
    for (int i = 0; i < 6; ++i)
        file += "\r\n";
    file += stmt + "\r\n";
    const Loaded r = load_file(rig, file);
    const std::string shown = rig.term.disp_all();
    EXPECT_NE(shown.find("/*WARNING:too long!(line 7,len 257)*/ " + stmt + "\r\n"),
              std::string::npos);
    EXPECT_NE(rig.term.sent().find(stmt + "\r"), std::string::npos);
}

TEST(Load, LateAcknowledgementTimesOut) {
    TransferRig rig;
    rig.attach_sim({.reply_delay_ms = 2500});
    const Loaded r = load_file(rig, "A=1\r\nB=2\r\n");
    EXPECT_EQ(r.result, "Aborted");
    ASSERT_GE(rig.dialogs.messages().size(), 2u);
    EXPECT_EQ(rig.dialogs.messages()[1].text, "Time Out");
    EXPECT_EQ(rig.dialogs.messages()[1].caption, "QVTW");
    // B=2 was never sent; the closing sequence was.
    EXPECT_EQ(rig.term.sent().find("B=2"), std::string::npos);
    EXPECT_TRUE(in_order(rig.term.sent(), {"A=1\r", " \r \r", "ECHO\r\r", "RENUM 10\r"}));
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

TEST(Load, OverflowIsShownWithTheLineAndTheLoadGoesOn) {
    TransferRig rig;
    rig.attach_sim({.program_area_bytes = 30});
    const Loaded r = load_file(rig, "A=1\r\nB=2\r\nC=3333333333333333333\r\nD=4\r\n");
    EXPECT_EQ(r.result, "Completed");
    EXPECT_NE(rig.term.disp_all().find("(Line:3) Program area is over flowed"), std::string::npos)
        << rig.term.disp_all();
    EXPECT_NE(r.listing.find("D=4"), std::string::npos);
}

TEST(Load, SyntaxErrorIsShownWithItsLine) {
    TransferRig rig;
    rig.attach_sim();
    const Loaded r = load_file(rig, "A=1\r\nA=(\r\nB=2\r\n");
    EXPECT_EQ(r.result, "Completed");
    EXPECT_NE(rig.term.disp_all().find("(Line:2) Syntax error"), std::string::npos);
    EXPECT_NE(r.listing.find("B=2"), std::string::npos);
}

TEST(Load, UnreadableFileOrCancelTouchesNothing) {
    TransferRig rig;
    rig.attach_sim();
    rig.prg_file = rig.dir.file("nope.Q2K");
    rig.state.file_preselected = 1;
    rig.transfers.load.Load68k();
    EXPECT_EQ(rig.dialogs.last_text(), "File Open Error " + rig.prg_file);
    EXPECT_EQ(rig.term.sent(), "");

    // A folder carrying a program file's name (dropped, or typed after LOAD)
    // opens but cannot be read: it must be refused before NEW clears the
    // controller's program.
    rig.prg_file = rig.dir.file("folder.Q2K");
    std::filesystem::create_directory(rig.prg_file);
    rig.state.file_preselected = 1;
    rig.transfers.load.Load68k();
    EXPECT_EQ(rig.dialogs.last_text(), "File Open Error " + rig.prg_file);
    EXPECT_EQ(rig.term.sent(), "");

    rig.prg_file = rig.dir.write("p.Q2K", "A=1\r\n");
    rig.dialogs.push_file(rig.prg_file);
    rig.dialogs.push_answer(platform::MsgResult::Cancel);
    rig.transfers.load.Load68k();
    EXPECT_EQ(rig.dialogs.file_requests().back().title, "Load Program");
    const auto& request = rig.dialogs.file_requests().back();
    EXPECT_FALSE(request.save);
    // A name typed into the open dialog reaches the load, which reports it.
    EXPECT_FALSE(request.must_exist || request.overwrite_prompt || request.no_change_dir);
    EXPECT_EQ(rig.term.sent(), "");
}

TEST(Load, GarbageFilesEndWithAnOutcome) {
    TransferRig rig;
    rig.attach_sim();
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    garbage.erase(std::remove(garbage.begin(), garbage.end(), '\x1A'), garbage.end());
    const Loaded r = load_file(rig, garbage);
    EXPECT_FALSE(r.result.empty());
    EXPECT_EQ(rig.state.transfer_mode, 0);

    TransferRig rig2;
    rig2.attach_sim();
    const Loaded r2 = load_file(rig2, std::string(300000, 'A') + "\n" + std::string(10, 'B'));
    EXPECT_EQ(r2.result, "Completed");
    EXPECT_NE(rig2.term.disp_all().find("/*WARNING:too long!(line 1,"), std::string::npos);
}

TEST(Load, PortGoneMidLoadPutsEverythingBack) {
    TransferRig rig;
    rig.attach_sim({.baud = 9600});
    std::string file;
    for (int i = 1; i <= 300; ++i)
        file += 'A' + std::to_string(i) + "=1\r\n";
    rig.prg_file = rig.dir.write("in.Q2K", file);
    rig.state.file_preselected = 1;
    rig.pump.post_at(rig.pump.now_ms() + 1500, [&] { rig.term.fail_port(); });
    rig.transfers.load.Load68k();
    // The lost port is reported once, by the connection; the load adds no box.
    for (const auto& m : rig.dialogs.messages())
        EXPECT_NE(m.icon, MsgIcon::Error) << m.text;
    EXPECT_EQ(rig.state.transfer_mode, 0);
    EXPECT_FALSE(rig.progress().visible());
    EXPECT_TRUE(rig.progress().main_window_enabled());
}

// The acknowledgement wait on scripted bytes, one byte a read as in the load.
TEST(LoadAck, RepliesAsTheyArrive) {
    const std::string ja(transfer::kOverflowJa);
    struct Case {
        const char* name;
        std::vector<std::pair<Millis, std::string>> arrivals;
        std::string shown;
        int line_advance;
        bool time_out;
    };
    const Case cases[] = {
        {"plain prompt", {{5, "\r\n#"}}, "", 1, false},
        {"message after the line",
         {{5, "Syntax error\r\n\r\n#"}},
         "(Line:7) Syntax error\r\n\r\n",
         1,
         false},
        {"message after an empty line",
         {{5, "\r\n\r\nWarn\r\n\r\n#"}},
         "\r\n\r\n(Line:7) Warn\r\n\r\n",
         1,
         false},
        {"# inside a message is text", {{5, "a#b\r\n\r\n#"}}, "(Line:7) a#b\r\n\r\n", 1, false},
        {"overflow ends the wait",
         {{5, "Program area is over flowed\r\n"}},
         "(Line:7) Program area is over flowed\r\n",
         0,
         false},
        {"Japanese overflow ends the wait",
         {{5, ja + "\r\n"}},
         "(Line:7) " + ja + "\r\n",
         0,
         false},
        {"ack just in time", {{2000, "\r\n#"}}, "", 1, false},
        {"ack after 2.5 s", {{2500, "\r\n#"}}, "", 0, true},
        {"other bytes do not extend the time",
         {{1000, "x"}, {1900, "y"}, {2500, "\r\n#"}},
         "",
         0,
         true},
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
        EXPECT_EQ(rig.transfers.counter.load_line_no, 7 + c.line_advance) << c.name;
        EXPECT_EQ(rig.state.abort_request, c.time_out ? 1 : 0) << c.name;
        EXPECT_EQ(rig.dialogs.last_text(), c.time_out ? "Time Out" : "") << c.name;
        if (c.time_out) {
            EXPECT_LE(rig.pump.now_ms() - start, 2001) << c.name;
        }
    }
}

TEST(RoundTrip, SavedProgramLoadsIntoAFreshControllerAndListsTheSame) {
    const std::vector<std::string> program = {
        "10 *START: N=0",
        "20 FOR I=1 TO 5 'count",
        "30 N=N+I : PRINT \"it's \";N",
        "40 NEXT I",
        "50 IF N>10 THEN GOTO *START",
        "60 A$=\"x'y\" 'comment after a quoted quote",
        "70 PRINT \"\x83\x76\x83\x8d\"",
        "80 END",
    };
    TransferRig a;
    a.attach_sim();
    a.enter_program(program);
    const std::string before = a.list_program();
    a.prg_file = a.dir.file("rt.Q2K");
    a.state.file_preselected = 1;
    a.transfers.save.Save68k();
    const std::string file = ScratchDir::read(a.prg_file);

    TransferRig b;
    b.attach_sim();
    const Loaded r = load_file(b, file);
    EXPECT_EQ(r.result, "Completed");
    // Comments were moved to column 33 by the save; the statements are equal.
    auto squeeze = [](std::string s) {
        std::string out;
        for (char c : s)
            if (c != ' ') out += c;
        return out;
    };
    EXPECT_EQ(squeeze(r.listing), squeeze(before));
    EXPECT_EQ(std::count(r.listing.begin(), r.listing.end(), '\n'), 8);
}

}  // namespace
}  // namespace qvt::test
