#include "core/transfer/save.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "core/transfer/atomic_file.h"
#include "core/transfer/file_dialog.h"
#include "core/transfer/listing_parser.h"
#include "core/transfer/qfile.h"
#include "core/transfer/scope.h"

namespace qvt::transfer {

namespace {

constexpr int kAfterStopMs = 250;
constexpr int kAfterListingMs = 500;
constexpr int kBeforeClosingListMs = 1000;

bool file_exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace

ProgramSave::ProgramSave(const TransferDeps& deps, const TransferHooks& hooks,
                         ProgressModel& progress,
                         std::function<void(const std::string&, const std::string&)> record_history)
    : d_(deps), hooks_(hooks), progress_(progress), record_history_(std::move(record_history)) {}

void ProgramSave::Save68k() {
    std::string& file = d_.files.Prg_File;
    clear_the_line(hooks_);

    if (d_.state.file_preselected == 0) {
        // The dialog offers the name without its extension; a cancelled
        // dialog leaves the current name as it was.
        std::string chosen = remove_extension(file);
        FileDialogOptions options;
        options.default_ext = "Q2K";
        options.open = false;
        options.overwrite_prompt = true;
        options.title = "Save Program";
        options.filter = {{"Q2K (*.Q2K)", "*.Q2K"}};
        if (!OpenSaveFileDialog(d_.dialogs, options, chosen)) {
            d_.shell.focus_terminal();
            return;
        }
        file = chosen;
    }
    d_.state.file_preselected = 0;

    // An aborted listing never replaces a file the user already had.
    const bool existed = file_exists(file);
    AtomicFileWriter out;
    if (!out.open(file)) {
        d_.dialogs.MessageBox(kFileCaption, "File Open Error " + file, platform::MsgIcon::Error,
                              platform::MsgButtons::Ok);
        return;
    }

    try {
        TransferScope scope(d_, progress_);
        scope.stop_program(kAfterStopMs);
        d_.term.set_InBufferCount(0);
        d_.term.set_OutBufferCount(0);
        d_.term.set_RThreshold(1);

        d_.state.abort_request = 0;
        d_.state.max_rx_chunk = 0;
        d_.shell.clear_memo();
        d_.shell.append_memo("[SAVE]" + file + "\r\n");
        d_.shell.set_status_text(2, "");
        if (record_history_) record_history_("SAVE", file);

        scope.show_progress("Save Program", file, "Saving...");
        d_.term.set_Output("LIST 0 0\r");
        d_.dialogue.CommOutBufferWiatZero();

        ListingParser parser({
            [&](std::string_view line) {
                out.write(line);
                const auto n = parser.lines_written();
                if (n % 10 == 0) {
                    progress_.set_count(static_cast<long>(n));
                    d_.pump.process_pending();
                }
            },
            [this] { d_.term.set_Output("\x01"); },
            [this] { return d_.state.abort_request != 0; },
        });
        const link::ReadEnd end = d_.dialogue.read_until(
            [&](std::string_view data) {
                if (data.size() > d_.state.max_rx_chunk) {
                    d_.state.max_rx_chunk =
                        static_cast<std::uint16_t>(std::min<std::size_t>(data.size(), 0xFFFF));
                    d_.shell.show_rx_chunk(d_.state.max_rx_chunk);
                }
                parser.feed(data);
                return !parser.running();
            },
            scope.limits());
        if (end == link::ReadEnd::Aborted) {
            // Abort acts at once, also on a silent line: the listing stops
            // here and the controller is asked for its prompt.
            if (!parser.abort_sent()) d_.term.set_Output("\x01");
            scope.wait_prompt();
        }
        std::string result = "Completed";
        if (scope.aborted()) {
            result = "Aborted";
            if (existed) {
                out.discard();
                result += "\r\n\r\n" + file + " was left unchanged.";
            } else {
                result += "\r\n\r\n" + file + " holds the lines received before the abort.";
            }
        }
        if (out.is_open()) out.commit();

        d_.dialogue.msDelay(kAfterListingMs);
        d_.dialogue.msDelay(kBeforeClosingListMs);
        d_.term.set_InBufferCount(0);
        d_.term.set_Output("LIST 0 20\r");
        scope.wait_prompt();
        scope.finish(result);
    } catch (const std::exception& e) {
        out.discard();
        // A port that failed is the connection's to report, in one message
        // that also ends the program; a second box would only repeat it.
        if (!d_.term.PortOpen()) return;
        d_.dialogs.MessageBox(kCaption,
                              "Save Program failed: " + std::string(e.what()) + "\r\nThe file " +
                                  file + " was left unchanged.",
                              platform::MsgIcon::Error, platform::MsgButtons::Ok);
    }
}

}  // namespace qvt::transfer
