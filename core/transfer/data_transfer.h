// Point and MBK transfers (PSave2000, PLoad68k, MBKSave2000, MBKLoad2000):
// the controller's point table (.P2K) and MBK data (.MBK) to and from files.
//
// How it works: both kinds are one transfer with other commands and texts
// (DataKind). The save stands in the transfer scaffold like the program save:
// Ctrl-A stops the controller's program, "PLS -1" or "S_MBK -1" makes it list
// its data, and every block that arrives goes through the DataListingParser
// into a temporary file beside the target. The parser drops the command's
// echo, answers the point listing's page pauses ("?") with a blank, writes
// each non-empty line and ends at the prompt. Abort ends the read at once,
// also on a silent line; "q" then stops the listing and 1000 ms pass, and no
// prompt is awaited. An aborted save never replaces an existing file; a new
// file keeps the lines listed before the abort.
//
// The load asks before it clears the controller's data ("NEWP", "NEWM"), then
// sends the file line by line and waits for each line's prompt (ReplyScanner);
// a reply with text before the prompt is a refusal, shown on the terminal as
// its first character and the refused line, and the load goes on. Lines that
// carry no data are counted and not sent: a point whose four values are 0, an
// MBK bank whose count is 0. An MBK line without a number after its bank
// cannot be judged at all, so the whole file is checked before "NEWM"
// deletes anything, and such a file is refused with its line shown.
//
// A port that fails ends the transfer; the connection reports it. Other
// failures (a full disk) are told, with the old file left whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/transfer/context.h"
#include "core/transfer/progress.h"

namespace qvt::transfer {

// What tells a point transfer from an MBK transfer.
struct DataKind {
    std::string& (*file)(console::FileNames&);
    const char* extension;   // "P2K"
    const char* filter;      // "P2K files (*.P2K)"
    const char* save_title;  // dialog and progress caption
    const char* load_title;
    const char* save_action;  // history action and "[PSAVE]" in the debug log
    const char* load_action;
    const char* list_command;   // "PLS -1\r"
    const char* clear_command;  // "NEWP\r"
    const char* question;       // "Load Point File: \r\n"
    const char* deleted;        // "Current point data is deleted from the KVB."
    const char* caption;        // of the question and of the result boxes
    bool answers_pauses;        // the listing pauses with "?" after a page
    bool show_count_less_one;   // the save shows the line count minus 1
    int count_every;            // the load shows its count every n lines
};

extern const DataKind kPointKind;
extern const DataKind kMbkKind;

// The four values of a point line; -1 for one that is missing or no integer.
struct PointValues {
    std::int32_t v[4];
    bool all_zero() const { return v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0; }
};
PointValues point_values(std::string_view line);
// The bank's count of an MBK line; nothing when the line has none.
std::optional<std::int32_t> mbk_count(std::string_view line);

// Turns the listing of "PLS -1" or "S_MBK -1" into file lines.
class DataListingParser {
  public:
    struct Sinks {
        std::function<void(std::string_view line)> write_line;
        std::function<void(char key)> answer_pause;
        std::function<bool()> aborted;
        std::function<void(long count)> count_changed;
    };
    DataListingParser(bool answers_pauses, Sinks sinks)
        : answers_pauses_(answers_pauses), sinks_(std::move(sinks)) {}

    // Takes a received block; the rest of a block after the prompt is left.
    void feed(std::string_view data);
    bool running() const { return running_; }
    // -1 before the echo ended, then the lines after it (empty ones too).
    long count() const { return count_; }
    // The start of the first line, the echo of the command.
    const std::string& echo() const { return echo_; }

  private:
    bool answers_pauses_;
    Sinks sinks_;
    std::string line_;
    std::string echo_;
    bool after_lf_ = false;
    bool started_ = false;
    bool running_ = true;
    long count_ = -1;
};

class DataTransfer {
  public:
    DataTransfer(const TransferDeps& deps, const TransferHooks& hooks, ProgressModel& progress,
                 const DataKind& kind,
                 std::function<void(const std::string&, const std::string&)> record_history);

    void Save();
    void Load();

  private:
    std::string& file() { return kind_.file(d_.files); }
    // The line's reply up to its prompt; false when Abort ended the wait.
    bool await_reply(const std::string& line);
    // The first MBK line without a count, as the message that refuses the file.
    std::optional<std::string> refuse_mbk_file(const std::string& path);
    void box(const std::string& text, platform::MsgIcon icon);

    TransferDeps d_;
    const TransferHooks& hooks_;
    ProgressModel& progress_;
    const DataKind& kind_;
    std::function<void(const std::string&, const std::string&)> record_history_;
};

}  // namespace qvt::transfer
