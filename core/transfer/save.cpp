#include "core/transfer/save.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "core/transfer/file_dialog.h"
#include "core/transfer/listing_parser.h"
#include "core/transfer/qfile.h"
#include "core/transfer/scope.h"

namespace qvt::transfer {

namespace {

constexpr int kAfterListingMs = 500;
constexpr int kBeforeClosingListMs = 1000;
const std::string kList = "LIST 0 0\r";

}  // namespace

ProgramSave::ProgramSave(const TransferDeps& deps, const TransferHooks& hooks,
                         ProgressModel& progress,
                         std::function<void(const std::string&, const std::string&)> record_history)
    : d_(deps), hooks_(hooks), progress_(progress), record_history_(std::move(record_history)) {}

void ProgramSave::Save68k() {
    std::string& file = d_.files.Prg_File;
    clear_the_line(hooks_);

    FileDialogOptions options;
    options.default_ext = "Q2K";
    options.open = false;
    options.overwrite_prompt = true;
    options.title = "Save Program";
    options.filter = {{"Q2K (*.Q2K)", "*.Q2K"}};
    // The dialog offers the name without its extension.
    SaveTarget target;
    if (!target.open(d_, options, file, remove_extension(file))) return;

    try {
        TransferScope scope(d_, progress_);
        scope.start_listing("SAVE", file);
        if (record_history_) record_history_("SAVE", file);

        scope.show_progress("Save Program", file, "Saving...");
        d_.term.set_Output(kList);
        d_.dialogue.CommOutBufferWiatZero();

        ListingParser parser({
            [&](std::string_view line) {
                target.write(line);
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
                scope.count_block(data.size());
                parser.feed(data);
                return !parser.running();
            },
            scope.limits());
        // A bare prompt is no empty program: the file stays as it is.
        if (end == link::ReadEnd::Complete && !scope.aborted() && !echoes(parser.echo(), kList)) {
            scope.leave_load_mode();
            throw std::runtime_error(not_echoed(kList));
        }
        if (end == link::ReadEnd::Aborted) {
            // Abort acts at once, also on a silent line: the listing stops
            // here and the controller is asked for its prompt.
            if (!parser.abort_sent()) d_.term.set_Output("\x01");
            scope.wait_prompt();
        }
        const std::string result = target.close(scope.aborted());

        d_.dialogue.msDelay(kAfterListingMs);
        d_.dialogue.msDelay(kBeforeClosingListMs);
        d_.term.set_InBufferCount(0);
        d_.term.set_Output("LIST 0 20\r");
        scope.wait_prompt();
        scope.finish(result);
    } catch (const std::exception& e) {
        target.discard();
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
