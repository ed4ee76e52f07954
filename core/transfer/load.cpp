#include "core/transfer/load.h"

#include <algorithm>
#include <exception>

#include "core/transfer/file_dialog.h"
#include "core/transfer/scope.h"

namespace qvt::transfer {

namespace {

constexpr int kBeforeLinesMs = 500;
constexpr int kWarningPauseMs = 200;
constexpr int kBeforeEchoMs = 500;
constexpr int kBeforeRenumMs = 1000;

std::size_t decimal_digits(std::uint32_t n) {
    std::size_t digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace

std::size_t load_length_estimate(std::string_view line, std::uint32_t read_count) {
    const auto colons = static_cast<std::size_t>(std::count(line.begin(), line.end(), ':'));
    return line.size() + 2 * colons + decimal_digits(read_count) + 2;
}

ProgramLoad::ProgramLoad(const TransferDeps& deps, const TransferHooks& hooks,
                         ProgressModel& progress, LabelList& labels, LoadCounter& counter,
                         std::function<void(const std::string&, const std::string&)> record_history)
    : d_(deps),
      hooks_(hooks),
      progress_(progress),
      labels_(labels),
      counter_(counter),
      record_history_(std::move(record_history)) {}

void ProgramLoad::Load68k() {
    std::string& file = d_.files.Prg_File;
    clear_the_line(hooks_);
    d_.shell.focus_terminal();

    if (d_.state.file_preselected == 0) {
        FileDialogOptions options;
        options.default_ext = "Q2K";
        options.open = true;
        options.title = "Load Program";
        options.filter = {{"Q2K files (*.Q2K)", "*.Q2K"}};
        if (!OpenSaveFileDialog(d_.dialogs, options, file)) {
            d_.shell.focus_terminal();
            return;
        }
    }
    d_.state.file_preselected = 0;
    if (!file_.open(file)) {
        d_.dialogs.MessageBox(kFileCaption, "File Open Error " + file, platform::MsgIcon::Error,
                              platform::MsgButtons::Ok);
        return;
    }
    const std::string question =
        "Load Program File: \r\n" + file + "\r\n\r\nCurrent program is deleted from the KVB.\r\n";
    if (d_.dialogs.MessageBox(kCaption, question, platform::MsgIcon::None,
                              platform::MsgButtons::OkCancel) != platform::MsgResult::Ok) {
        file_.close();
        d_.shell.focus_terminal();
        return;
    }

    read_count_ = 0;
    processed_ = 0;
    end_of_load_ = false;
    last_result_.clear();
    try {
        TransferScope scope(d_, progress_);
        d_.pump.process_pending();
        scope.stop_program(0);
        // The revision decides nothing here; the question is part of the
        // conversation all the same.
        if (hooks_.GetKVB68KVersion) hooks_.GetKVB68KVersion();

        d_.state.abort_request = 0;
        d_.term.set_InBufferCount(0);
        d_.term.set_OutBufferCount(0);
        d_.term.set_RThreshold(1);
        d_.dialogue.ScreenCls();
        d_.term.set_CursorRow(d_.term.Rows());

        labels_.clear();
        if (record_history_) record_history_("LOAD", file);

        scope.show_progress("Load Program", file, "Loading...");
        // Not echoed, NEW cleared nothing and is a program line now, like
        // the revision query before it; out of load mode, NEW clears them
        // with the rest.
        if (!scope.send_echoed("NEW\r")) {
            scope.leave_load_mode();
            scope.send_echoed("NEW\r");
        }
        d_.term.set_Output("ECHO 2\r");
        scope.wait_prompt();
        d_.term.set_InputLen(1);

        processed_ = 0;
        counter_.load_line_no = 1;
        read_count_ = 0;
        d_.dialogue.msDelay(kBeforeLinesMs);
        d_.term.set_InBufferCount(0);

        run_lines();
        file_.close();
        closing_sequence(scope);

        progress_.set_count(static_cast<long>(processed_));
        last_result_ = (d_.state.abort_request == 0 || end_of_load_) ? "Completed" : "Aborted";
        scope.finish(last_result_);
        if (hooks_.narrow_label_column) hooks_.narrow_label_column(false);
    } catch (const std::exception& e) {
        file_.close();
        // A port that failed is the connection's to report, in one message
        // that also ends the program; a second box would only repeat it.
        if (!d_.term.PortOpen()) return;
        d_.dialogs.MessageBox(kCaption,
                              "Load Program stopped: " + std::string(e.what()) + "\r\n" +
                                  std::to_string(processed_) +
                                  " lines were handled; the controller holds what it "
                                  "acknowledged.",
                              platform::MsgIcon::Error, platform::MsgButtons::Ok);
    }
}

void ProgramLoad::run_lines() {
    while (!file_.eof()) {
        std::string line = read_line() + "\r";
        std::replace(line.begin(), line.end(), '\t', ' ');
        if (d_.state.abort_request == 1) break;
        if (!is_blank(line)) {
            if (line[0] == '*') labels_.ListView_Add(counter_.load_line_no, line);
            d_.term.set_Output(line);
            Load68k_Sub2(true);
        } else {
            ++counter_.load_line_no;
        }
        ++processed_;
        if (d_.state.abort_request != 0) break;
        if (processed_ % 10 == 0) {
            progress_.set_count(static_cast<long>(processed_));
            d_.pump.process_pending();
        }
    }
}

std::string ProgramLoad::read_line() {
    ++read_count_;
    std::string line = trim_blank(file_.read_line());
    const auto comment = line.find("/*");
    if (comment != std::string::npos) {
        if (line.find("END_OF_LOAD") != std::string::npos) {
            d_.state.abort_request = 1;
            end_of_load_ = true;
            return {};
        }
        line = trim_blank(std::string_view(line).substr(0, comment));
    }
    if (line.empty()) return {};
    const std::size_t estimate = load_length_estimate(line, read_count_);
    if (estimate > kMaxLineEstimate) {
        d_.term.set_Disp("/*WARNING:too long!(line " + std::to_string(read_count_) + ",len " +
                         std::to_string(estimate) + ")*/ " + line + "\r\n");
        d_.dialogue.msDelay(kWarningPauseMs);
    }
    return line;
}

void ProgramLoad::Load68k_Sub2(bool abortable) {
    d_.state.transfer_mode = 1;
    int lf_count = 0;
    bool text_seen = false;
    bool done = false;
    std::string reply;
    link::ReadLimits limits;
    // One past the limit: a line has "more than" 2000 ms before it times out.
    limits.deadline_ms = d_.pump.now_ms() + kAckTimeoutMs + 1;
    if (abortable) limits.abort_flag = &d_.state.abort_request;
    const link::ReadEnd end = d_.dialogue.read_bytes_until(
        [&](char c) {
            if (done) return true;
            if (c == '\t' || c == '\r') {
                reply += c;
            } else if (c == '\n') {
                reply += c;
                ++lf_count;
                if (lf_count == 1 && !is_blank(reply)) {
                    reply = "(Line:" + std::to_string(counter_.load_line_no) + ") " + reply;
                    d_.term.set_Disp(reply);
                    if (reply.find(kOverflowEn) != std::string::npos ||
                        reply.find(kOverflowJa) != std::string::npos) {
                        done = true;
                    }
                    reply.clear();
                }
                if (lf_count == 2) {
                    lf_count = 0;
                    text_seen = false;
                    if (!reply.empty()) d_.term.set_Disp(reply);
                    reply.clear();
                }
            } else if (c == '#') {
                if (text_seen) {
                    reply += c;
                } else {
                    ++counter_.load_line_no;
                    done = true;
                }
            } else {
                text_seen = true;
                reply += c;
            }
            return done;
        },
        limits);
    if (end == link::ReadEnd::TimedOut) {
        d_.dialogs.MessageBox(kFileCaption, "Time Out", platform::MsgIcon::Error,
                              platform::MsgButtons::Ok);
        d_.state.abort_request = 1;
    }
}

void ProgramLoad::closing_sequence(TransferScope& scope) {
    d_.term.set_Output(" \r");
    d_.term.set_Output(" \r");
    Load68k_Sub2(false);
    d_.term.set_Output(" \r");
    d_.term.set_Output(" \r");
    Load68k_Sub2(false);
    d_.dialogue.msDelay(kBeforeEchoMs);
    d_.term.set_InputLen(0);
    d_.term.set_Output("ECHO\r");
    d_.term.set_Output("\r");
    scope.wait_prompt();
    d_.dialogue.msDelay(kBeforeRenumMs);
    d_.term.set_InBufferCount(0);
    d_.term.set_Output("RENUM 10\r");
    scope.wait_prompt();
}

}  // namespace qvt::transfer
