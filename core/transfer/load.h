// Program load (Load68k): a .Q2K file into the controller, one acknowledged
// line at a time.
//
// How it works: after the file is chosen and the user confirms that the
// controller's program will be replaced, the controller is stopped (Ctrl-A),
// asked for its revision, cleared with "NEW" and put into load mode with
// "ECHO 2", where it echoes nothing and answers every program line with CR LF
// and its prompt, or with an error message first. InputLen 1 makes every read
// return one byte, so the acknowledgement wait (Load68k_Sub2) finds the "#"
// the moment it arrives and nothing is sent before the previous line was
// acknowledged. A message that follows the line directly is shown on the
// terminal with "(Line:n) " in front; "Program area is over flowed" (or its
// Japanese form, compared as the Shift-JIS bytes on the wire) ends the wait
// for that line at once. Each line has 2000 ms to be acknowledged; after that
// "Time Out" ends the load as aborted.
//
// The reader cleans each file line (blanks trimmed, "/*" comments cut, a "/*"
// comment holding "END_OF_LOAD" ends the file) and warns on the terminal about
// lines whose length estimate exceeds 254; such lines are sent all the same.
// Label lines ("*NAME: ...") fill the label list on the way. Whatever ends
// the line loop (end of file, Abort, the end marker, a time-out), the closing
// sequence runs: blank lines, "ECHO", and "RENUM 10"; after an abort or a
// time-out its prompt waits are limited, so a silent controller cannot hold
// the window. Abort ends the wait for an acknowledgement at once.
//
// A failure of the port or of the file ends the load with a message; the
// transfer scaffold puts the dialog, the main window and the shared state
// back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/transfer/context.h"
#include "core/transfer/label_list.h"
#include "core/transfer/progress.h"
#include "core/transfer/qfile.h"
#include "core/transfer/scope.h"

namespace qvt::transfer {

inline constexpr int kAckTimeoutMs = 2000;
inline constexpr int kMaxLineEstimate = 254;
// "プログラムエリアが溢れ" in Shift-JIS, as the controller sends it.
inline constexpr std::string_view kOverflowJa =
    "\x83\x76\x83\x8d\x83\x4f\x83\x89\x83\x80\x83\x47\x83\x8a\x83\x41\x82\xaa\x88\xec\x82\xea";
inline constexpr std::string_view kOverflowEn = "Program area is over flowed";

// The load's estimate of how long a line becomes in the controller.
std::size_t load_length_estimate(std::string_view line, std::uint32_t read_count);

class ProgramLoad {
  public:
    ProgramLoad(const TransferDeps& deps, const TransferHooks& hooks, ProgressModel& progress,
                LabelList& labels, LoadCounter& counter,
                std::function<void(const std::string&, const std::string&)> record_history);

    void Load68k();
    // Waits for the acknowledgement of the line just sent; an abortable wait
    // ends at once on Abort.
    void Load68k_Sub2(bool abortable);

    // Outcome of the last load, for whoever wants to know beyond the box.
    const std::string& last_result() const { return last_result_; }
    std::uint32_t last_processed() const { return processed_; }

  private:
    // One cleaned line to send, or empty.
    std::string read_line();
    void run_lines();
    void closing_sequence(TransferScope& scope);

    TransferDeps d_;
    const TransferHooks& hooks_;
    ProgressModel& progress_;
    LabelList& labels_;
    LoadCounter& counter_;
    std::function<void(const std::string&, const std::string&)> record_history_;

    QFileReader file_;
    std::uint32_t read_count_ = 0;
    std::uint32_t processed_ = 0;
    bool end_of_load_ = false;
    std::string last_result_;
};

}  // namespace qvt::transfer
