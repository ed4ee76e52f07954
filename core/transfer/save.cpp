#include "core/transfer/save.h"

#include <algorithm>
#include <exception>

#include "core/transfer/atomic_file.h"
#include "core/transfer/file_dialog.h"
#include "core/transfer/listing_parser.h"
#include "core/transfer/qfile.h"

namespace qvt::transfer {

namespace {

constexpr int kAfterStopMs = 250;
constexpr int kAfterListingMs = 500;
constexpr int kBeforeClosingListMs = 1000;

}  // namespace

ProgramSave::ProgramSave(const TransferDeps& deps, const TransferHooks& hooks,
                         ProgressModel& progress,
                         std::function<void(const std::string&, const std::string&)> record_history)
    : d_(deps), hooks_(hooks), progress_(progress), record_history_(std::move(record_history)) {}

void ProgramSave::Save68k() {
    std::string& file = d_.files.Prg_File;
    call(hooks_.hide_break_point_window);
    call(hooks_.close_watch_window_if_visible);

    if (d_.state.file_preselected == 0) {
        file = remove_extension(file);
        FileDialogOptions options;
        options.default_ext = "Q2K";
        options.open = false;
        options.overwrite_prompt = true;
        options.title = "Save Program";
        options.filter = {{"Q2K (*.Q2K)", "*.Q2K"}};
        if (!OpenSaveFileDialog(d_.dialogs, options, file)) {
            d_.shell.focus_terminal();
            return;
        }
    }
    d_.state.file_preselected = 0;

    AtomicFileWriter out;
    if (!out.open(file)) {
        d_.dialogs.MessageBox(kFileCaption, "File Open Error " + file, platform::MsgIcon::Error,
                              platform::MsgButtons::Ok);
        return;
    }

    bool replaced = false;
    try {
        d_.term.set_Output("\x01");
        d_.dialogue.CommOutBufferWiatZero();
        {
            // The prompt that answers Ctrl-A must stay in the buffer for
            // Wait_Prompt, so the receive handler is kept off during the pause.
            link::TransferModeGuard hold(d_.state);
            d_.dialogue.msDelay(kAfterStopMs);
        }
        d_.dialogue.Wait_Prompt();
        d_.term.set_InBufferCount(0);
        d_.term.set_OutBufferCount(0);
        d_.term.set_RThreshold(1);

        d_.state.abort_request = 0;
        d_.state.max_rx_chunk = 0;
        d_.shell.clear_memo();
        d_.shell.append_memo("[SAVE]" + file + "\r\n");
        d_.shell.set_status_text(2, "");
        if (record_history_) record_history_("SAVE", file);

        progress_.show_for("Save Program", file, "Saving...");
        progress_.set_main_window_enabled(false);
        d_.shell.termmode_menu_disable();
        d_.pump.process_pending();

        d_.state.transfer_mode = 1;
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
        while (parser.running()) {
            const std::string data = d_.term.Input();
            if (data.size() > d_.state.max_rx_chunk) {
                d_.state.max_rx_chunk =
                    static_cast<std::uint16_t>(std::min<std::size_t>(data.size(), 0xFFFF));
                d_.shell.show_rx_chunk(d_.state.max_rx_chunk);
            }
            parser.feed(data);
            if (data.empty()) {
                d_.pump.wait_for_event(-1);
            } else {
                d_.pump.process_pending();
            }
        }
        out.commit();
        replaced = true;

        d_.dialogue.msDelay(kAfterListingMs);
        const std::string result = d_.state.abort_request == 0 ? "Completed" : "Aborted";
        d_.dialogue.msDelay(kBeforeClosingListMs);
        d_.term.set_InBufferCount(0);
        d_.term.set_Output("LIST 0 20\r");
        d_.dialogue.Wait_Prompt();
        d_.dialogs.MessageBox(kCaption, result, platform::MsgIcon::None, platform::MsgButtons::Ok);
        progress_.set_main_window_enabled(true);
        progress_.hide();

        d_.state.transfer_mode = 0;
        d_.shell.focus_terminal();
        d_.term.set_InBufferCount(0);
        d_.term.set_Output("\r");
        d_.shell.termmode_menu_enable();
    } catch (const std::exception& e) {
        out.discard();
        recover(e.what(), replaced);
    }
}

void ProgramSave::recover(const std::string& what, bool file_replaced) {
    progress_.hide();
    progress_.set_main_window_enabled(true);
    d_.state.transfer_mode = 0;
    // Reads of a port that stays open go back to the receive handler.
    try {
        if (d_.term.PortOpen()) d_.term.set_InBufferCount(0);
    } catch (const std::exception&) {
    }
    d_.shell.termmode_menu_enable();
    d_.shell.focus_terminal();
    std::string text = "Save Program failed: " + what + "\r\n";
    text += file_replaced ? "The file " + d_.files.Prg_File + " holds the program as listed."
                          : "The file " + d_.files.Prg_File + " was left unchanged.";
    d_.dialogs.MessageBox(kCaption, text, platform::MsgIcon::Error, platform::MsgButtons::Ok);
}

}  // namespace qvt::transfer
