#include "core/transfer/data_transfer.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <stdexcept>

#include "core/transfer/file_dialog.h"
#include "core/transfer/qfile.h"
#include "core/transfer/scope.h"

namespace qvt::transfer {

const DataKind kPointKind{
    [](console::FileNames& f) -> std::string& { return f.Pnt_File; },
    "P2K",
    "P2K files (*.P2K)",
    "Save Point",
    "Load Point",
    "PSAVE",
    "PLOAD",
    "PLS -1\r",
    "NEWP\r",
    "Load Point File: \r\n",
    "Current point data is deleted from the KVB.",
    kCaption,
    true,
    false,
    1,
};

const DataKind kMbkKind{
    [](console::FileNames& f) -> std::string& { return f.Mbk_File; },
    "MBK",
    "MBK Data files (*.MBK)",
    "Save Mbk",
    "Load Mbk",
    "MSAVE",
    "MLOAD",
    "S_MBK -1\r",
    "NEWM\r",
    "Load Mbk File: \r\n",
    "Current MBK data is deleted from the KVB.",
    kFileCaption,
    false,
    true,
    10,
};

namespace {

constexpr int kAfterStopMs = 250;
// After "q" the controller drops what its listing still held; its prompt is
// not awaited, the closing carriage return asks for a fresh one.
constexpr int kAfterQuitMs = 1000;
constexpr std::size_t kMaxEchoBytes = 64;

std::optional<std::int32_t> to_int(std::string_view text) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

// The text up to the next space; the rest loses that space and the blanks
// around it.
std::string take_field(std::string& rest) {
    const auto space = rest.find(' ');
    std::string field = rest.substr(0, space);
    rest = space == std::string::npos ? std::string() : trim_blank(rest.substr(space + 1));
    return field;
}

}  // namespace

PointValues point_values(std::string_view line) {
    std::string rest = trim_blank(line);
    take_field(rest);  // "PNT"
    take_field(rest);  // the point's number
    PointValues p{};
    for (int i = 0; i < 3; ++i)
        p.v[i] = to_int(trim_blank(take_field(rest))).value_or(-1);
    p.v[3] = to_int(trim_blank(rest)).value_or(-1);
    return p;
}

std::optional<std::int32_t> mbk_count(std::string_view line) {
    const std::string trimmed = trim_blank(line);
    if (trimmed.size() <= 5) return {};
    std::string rest = trim_blank(std::string_view(trimmed).substr(5));  // after "MBbbb"
    return to_int(take_field(rest));
}

void DataListingParser::feed(std::string_view data) {
    for (const char c : data) {
        if (!running_) return;
        switch (c) {
            case '\r':
                if (!line_.empty()) sinks_.write_line(line_);
                line_.clear();
                ++count_;
                sinks_.count_changed(count_);
                after_lf_ = false;
                started_ = true;
                break;
            case '\n':
                after_lf_ = true;
                break;
            case '\a':
                break;
            case '#':
                // Once an abort is pending any "#" ends the capture: the
                // controller may answer the stop without a line break.
                if (after_lf_ || sinks_.aborted()) {
                    running_ = false;
                    return;
                }
                after_lf_ = false;
                break;
            case '?':
                if (answers_pauses_) {
                    sinks_.answer_pause(sinks_.aborted() ? 'Q' : ' ');
                    break;
                }
                [[fallthrough]];
            default:
                if (started_) {
                    line_ += c;
                } else if (echo_.size() < kMaxEchoBytes) {
                    echo_ += c;
                }
                after_lf_ = false;
                break;
        }
    }
}

DataTransfer::DataTransfer(
    const TransferDeps& deps, const TransferHooks& hooks, ProgressModel& progress,
    const DataKind& kind,
    std::function<void(const std::string&, const std::string&)> record_history)
    : d_(deps),
      hooks_(hooks),
      progress_(progress),
      kind_(kind),
      record_history_(std::move(record_history)) {}

void DataTransfer::box(const std::string& text, platform::MsgIcon icon) {
    d_.dialogs.MessageBox(kind_.caption, text, icon, platform::MsgButtons::Ok);
}

void DataTransfer::Save() {
    std::string& name = file();
    clear_the_line(hooks_);

    FileDialogOptions options;
    options.default_ext = kind_.extension;
    options.open = false;
    options.overwrite_prompt = true;
    options.title = kind_.save_title;
    options.filter = {{kind_.filter, std::string("*.") + kind_.extension}};
    SaveTarget target;
    if (!target.open(d_, options, name, name)) return;

    try {
        TransferScope scope(d_, progress_);
        scope.start_listing(kind_.save_action, name);
        if (record_history_) record_history_(kind_.save_action, name);

        scope.show_progress(kind_.save_title, name, "Saving...");
        d_.term.set_Output(kind_.list_command);
        d_.dialogue.CommOutBufferWiatZero();

        DataListingParser parser(kind_.answers_pauses,
                                 {
                                     [&](std::string_view line) {
                                         target.write(line);
                                         target.write("\r\n");
                                     },
                                     [this](char key) { d_.term.set_Output(std::string(1, key)); },
                                     [this] { return d_.state.abort_request != 0; },
                                     [this](long count) {
                                         progress_.set_count(count);
                                         // Abort can then land inside a long block, in time to
                                         // answer the next page pause with "Q".
                                         if (count % 10 == 0) d_.pump.process_pending();
                                     },
                                 });
        const link::ReadEnd end = d_.dialogue.read_until(
            [&](std::string_view data) {
                scope.count_block(data.size());
                parser.feed(data);
                return !parser.running();
            },
            scope.limits());
        // A bare prompt is no empty table: the file stays as it is.
        if (end == link::ReadEnd::Complete && !scope.aborted() &&
            !echoes(parser.echo(), kind_.list_command)) {
            scope.leave_load_mode();
            throw std::runtime_error(not_echoed(kind_.list_command));
        }
        if (scope.aborted()) {
            d_.term.set_Output("q");
            d_.dialogue.msDelay(kAfterQuitMs);
        }
        const std::string result = target.close(scope.aborted());
        if (kind_.show_count_less_one) progress_.set_count(parser.count() - 1);
        scope.finish(result, kind_.caption);
    } catch (const std::exception& e) {
        target.discard();
        // A port that failed is the connection's to report, in one message
        // that also ends the program; a second box would only repeat it.
        if (!d_.term.PortOpen()) return;
        box(std::string(kind_.save_title) + " failed: " + e.what() + "\r\nThe file " + name +
                " was left unchanged.",
            platform::MsgIcon::Error);
    }
}

std::optional<std::string> DataTransfer::refuse_mbk_file(const std::string& path) {
    QFileReader in;
    try {
        if (!in.open(path)) return "File Open Error " + path;
        for (long number = 1; !in.eof(); ++number) {
            const std::string line = in.read_line();
            if (!mbk_count(line))
                return "Load Mbk File: \r\n" + path + "\r\n\r\nLine " + std::to_string(number) +
                       " holds no bank count: \"" + line +
                       "\"\r\nNothing was sent; the MBK data in the KVB are unchanged.";
        }
    } catch (const std::exception& e) {
        return "File Open Error " + path + "\r\n" + e.what();
    }
    return {};
}

bool DataTransfer::await_reply(const std::string& line) {
    bool after_lf = false;
    bool cr_seen = false;
    bool shown = false;
    const link::ReadEnd end = d_.dialogue.read_bytes_until(
        [&](char c) {
            switch (c) {
                case '\a':
                    return false;
                case '\n':
                    after_lf = true;
                    return false;
                case '\r':
                    after_lf = false;
                    cr_seen = true;
                    return false;
                case '#':
                    if (after_lf) {
                        if (shown) d_.term.set_Disp(line + "\r\n");
                        return true;
                    }
                    return false;
                default:
                    // Text after the echo is the controller refusing the
                    // line: its first character marks the line shown at the
                    // prompt.
                    if (!cr_seen) return false;
                    if (!shown) d_.term.set_Disp(std::string("\r\n") + c);
                    shown = true;
                    after_lf = false;
                    return false;
            }
        },
        {-1, &d_.state.abort_request});
    return end == link::ReadEnd::Complete;
}

void DataTransfer::Load() {
    std::string& name = file();
    clear_the_line(hooks_);

    if (d_.state.file_preselected == 0) {
        FileDialogOptions options;
        options.default_ext = kind_.extension;
        options.open = true;
        options.title = kind_.load_title;
        options.filter = {{kind_.filter, std::string("*.") + kind_.extension}};
        if (!OpenSaveFileDialog(d_.dialogs, options, name)) {
            d_.shell.focus_terminal();
            return;
        }
    }
    d_.state.file_preselected = 0;
    QFileReader in;
    if (!in.open(name)) {
        d_.dialogs.MessageBox(kFileCaption, "File Open Error " + name, platform::MsgIcon::Error,
                              platform::MsgButtons::Ok);
        return;
    }
    // "NEWM" deletes the controller's data before the first line is judged;
    // a file that would stop half-way is refused while all is still there.
    if (&kind_ == &kMbkKind) {
        if (const auto refusal = refuse_mbk_file(name)) {
            box(*refusal, platform::MsgIcon::Error);
            d_.shell.focus_terminal();
            return;
        }
    }
    const std::string question =
        kind_.question + name + "\r\n\r\n" + std::string(kind_.deleted) + "\r\n";
    if (d_.dialogs.MessageBox(kind_.caption, question, platform::MsgIcon::None,
                              platform::MsgButtons::OkCancel) != platform::MsgResult::Ok) {
        d_.shell.focus_terminal();
        return;
    }

    long count = 0;
    try {
        TransferScope scope(d_, progress_);
        scope.stop_program(kAfterStopMs);
        d_.state.abort_request = 0;
        d_.term.set_InBufferCount(0);
        d_.term.set_OutBufferCount(0);
        d_.term.set_RThreshold(1);
        if (record_history_) record_history_(kind_.load_action, name);

        scope.show_progress(kind_.load_title, name, "Loading...");
        // Not echoed, the command cleared nothing and is a program line now;
        // nothing more is sent that would join it.
        if (!scope.send_echoed(kind_.clear_command)) {
            scope.leave_load_mode();
            throw std::runtime_error(not_echoed(kind_.clear_command));
        }

        while (!in.eof()) {
            const std::string line = in.read_line();
            // A point of four zeros and a bank of no bytes hold no data.
            bool send = true;
            std::string text = line;
            if (&kind_ == &kMbkKind) {
                text = trim_blank(line);
                send = mbk_count(text) != 0;
            } else {
                send = !point_values(line).all_zero();
            }
            if (send) {
                d_.term.set_Output(text + "\r");
                d_.dialogue.CommOutBufferWiatZero();
                await_reply(text);
            }
            d_.pump.process_pending();
            if (scope.aborted()) break;
            ++count;
            if (count % kind_.count_every == 0) progress_.set_count(count);
        }
        in.close();
        progress_.set_count(count);
        d_.pump.process_pending();
        scope.finish(scope.aborted() ? "Aborted" : "Completed", kind_.caption);
    } catch (const std::exception& e) {
        in.close();
        if (!d_.term.PortOpen()) return;
        box(std::string(kind_.load_title) + " stopped: " + e.what() + "\r\n" +
                std::to_string(count) +
                " lines were handled; the controller holds what it acknowledged.",
            platform::MsgIcon::Error);
    }
}

}  // namespace qvt::transfer
