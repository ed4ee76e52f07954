// The scaffold every transfer stands in: what program, point and MBK saves
// and loads repeat around their own exchange, and putting all of it back.
//
// How it works: a transfer calls clear_the_line() before it asks for its
// file (the break-point window hidden, the watch stopped and closed), then
// opens a TransferScope for the rest of the operation. The scope marks an
// operation running (requests from other programs wait), stops the
// controller's program (Ctrl-A, the pause, the prompt), puts the progress
// dialog up over the disabled main window in the busy state with
// transfer_mode taken, and ends with the result box, the ready state and a
// fresh prompt. Leaving the scope in any other way (a port error, a full
// disk, the end of the program) puts the same things back without sending
// anything: dialog hidden, main window enabled, transfer_mode as it was, the
// control's reads back to the receive handler, the ready state.
//
// Once a transfer was aborted (Abort, or the controller did not answer in
// time), its remaining prompt waits are limited to two seconds each, so a
// controller that has gone silent cannot hold the window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/link/dialogue.h"
#include "core/transfer/atomic_file.h"
#include "core/transfer/context.h"
#include "core/transfer/file_dialog.h"
#include "core/transfer/progress.h"

namespace qvt::transfer {

inline constexpr int kAbortedWaitSeconds = 2;

// Frees the line of the windows that poll it, before a file is chosen.
void clear_the_line(const TransferHooks& hooks);

// What went wrong when a command was not echoed and load mode was ended, for
// the transfer's message.
std::string not_echoed(const std::string& command);
// Whether a reply's first line holds the echo of command.
bool echoes(std::string_view first_line, const std::string& command);

// The file a save writes into. open() runs the save dialog unless the name
// was preselected (a cancelled dialog leaves the name as it was) and opens
// the file for a safe write; false when cancelled or refused, "File Open
// Error" already shown. close() ends the write: a completed save replaces the
// file; after an abort an existing file stays whole and a new one keeps the
// lines listed. It returns the result box's text.
class SaveTarget {
  public:
    bool open(const TransferDeps& deps, const FileDialogOptions& options, std::string& file,
              const std::string& offered);
    void write(std::string_view bytes) { out_.write(bytes); }
    std::string close(bool aborted);
    void discard() noexcept { out_.discard(); }

  private:
    AtomicFileWriter out_;
    std::string file_;
    bool existed_ = false;
};

class TransferScope {
  public:
    TransferScope(const TransferDeps& deps, ProgressModel& progress);
    ~TransferScope();
    TransferScope(const TransferScope&) = delete;
    TransferScope& operator=(const TransferScope&) = delete;

    // Ctrl-A, the transmit buffer drained, then pause_ms with transfer_mode
    // held (the prompt that answers must stay for the wait), then the prompt.
    void stop_program(int pause_ms);
    // What every save does before it asks for a listing: the program stopped,
    // the buffers emptied, the largest-block counter and the debug log
    // started with "[tag]file".
    void start_listing(const std::string& tag, const std::string& file);
    // A received block, for the largest-block counter in status panel 2.
    void count_block(std::size_t size);
    // The progress dialog up, the main window disabled and busy,
    // transfer_mode taken until the scope ends.
    void show_progress(const std::string& caption, const std::string& file,
                       const std::string& label);
    // Abort pressed or a time-out met.
    bool aborted() const { return d_.state.abort_request != 0; }
    // The prompt, without limit until Abort, then limited. False: none came.
    // With seen, what came before the prompt is kept there (see Wait_Prompt).
    bool wait_prompt(std::string* seen = nullptr);
    // Sends a command and waits for its prompt; false when the controller
    // did not echo it (a prompt came, no abort). A cut-off load can leave the
    // controller in load mode (ECHO 2), where it takes every command as a
    // program line and answers with a bare prompt.
    bool send_echoed(const std::string& command);
    // "ECHO", which ends load mode, and its prompt.
    void leave_load_mode();
    // The read loop's limits for this transfer: Abort ends a read at once.
    link::ReadLimits limits() const { return {-1, &d_.state.abort_request}; }
    // The result box, the dialog down, transfer_mode given back, a carriage
    // return for a fresh prompt, the ready state.
    void finish(const std::string& result, const char* caption = kCaption);

  private:
    void restore() noexcept;

    TransferDeps d_;
    ProgressModel& progress_;
    link::OperationGuard running_;
    std::optional<link::TransferModeGuard> transfer_mode_;
    bool shown_ = false;
    bool finished_ = false;
};

}  // namespace qvt::transfer
