#include "core/transfer/scope.h"

#include <algorithm>
#include <exception>
#include <filesystem>

namespace qvt::transfer {

void clear_the_line(const TransferHooks& hooks) {
    call(hooks.hide_break_point_window);
    call(hooks.quit_watch);
    call(hooks.close_watch_window_if_visible);
}

namespace {

constexpr int kAfterStopMs = 250;

// "LIST" of "LIST 0 0\r": what an echo shows of the command whatever it
// made of the blanks.
std::string command_word(std::string_view command) {
    return std::string(command.substr(0, command.find_first_of(" \r")));
}

}  // namespace

bool echoes(std::string_view first_line, const std::string& command) {
    return first_line.find(command_word(command)) != std::string_view::npos;
}

std::string not_echoed(const std::string& command) {
    return "the controller did not echo \"" + command.substr(0, command.find('\r')) +
           "\". A load that was cut off may have left it in load mode, where it took the "
           "command as a program line; ECHO was sent to end load mode. Check the end of the "
           "program and try again.";
}

bool SaveTarget::open(const TransferDeps& d, const FileDialogOptions& options, std::string& file,
                      const std::string& offered) {
    if (d.state.file_preselected == 0) {
        std::string chosen = offered;
        if (!OpenSaveFileDialog(d.dialogs, options, chosen)) {
            d.shell.focus_terminal();
            return false;
        }
        file = chosen;
    }
    d.state.file_preselected = 0;
    std::error_code error;
    existed_ = std::filesystem::exists(platform::file_path(file), error);
    file_ = file;
    if (!out_.open(file)) {
        d.dialogs.MessageBox(kFileCaption, "File Open Error " + file, platform::MsgIcon::Error,
                             platform::MsgButtons::Ok);
        return false;
    }
    return true;
}

std::string SaveTarget::close(bool aborted) {
    std::string result = "Completed";
    if (aborted) {
        result = "Aborted";
        if (existed_) {
            out_.discard();
            return result + "\r\n\r\n" + file_ + " was left unchanged.";
        }
        result += "\r\n\r\n" + file_ + " holds the lines received before the abort.";
    }
    out_.commit();
    return result;
}

TransferScope::TransferScope(const TransferDeps& deps, ProgressModel& progress)
    : d_(deps), progress_(progress), running_(deps.state) {}

TransferScope::~TransferScope() {
    if (!finished_) restore();
}

void TransferScope::stop_program(int pause_ms) {
    d_.term.set_Output("\x01");
    d_.dialogue.CommOutBufferWiatZero();
    if (pause_ms > 0) {
        link::TransferModeGuard hold(d_.state);
        d_.dialogue.msDelay(pause_ms);
    }
    d_.dialogue.Wait_Prompt();
}

void TransferScope::start_listing(const std::string& tag, const std::string& file) {
    stop_program(kAfterStopMs);
    d_.term.set_InBufferCount(0);
    d_.term.set_OutBufferCount(0);
    d_.term.set_RThreshold(1);
    d_.state.abort_request = 0;
    d_.state.max_rx_chunk = 0;
    d_.shell.clear_memo();
    d_.shell.append_memo("[" + tag + "]" + file + "\r\n");
    d_.shell.set_status_text(2, "");
}

void TransferScope::count_block(std::size_t size) {
    if (size <= d_.state.max_rx_chunk) return;
    d_.state.max_rx_chunk = static_cast<std::uint16_t>(std::min<std::size_t>(size, 0xFFFF));
    d_.shell.show_rx_chunk(d_.state.max_rx_chunk);
}

void TransferScope::show_progress(const std::string& caption, const std::string& file,
                                  const std::string& label) {
    progress_.show_for(caption, file, label);
    progress_.set_main_window_enabled(false);
    d_.shell.termmode_menu_disable();
    shown_ = true;
    d_.pump.process_pending();
    transfer_mode_.emplace(d_.state);
}

bool TransferScope::wait_prompt(std::string* seen) {
    // Abort also ends a wait for a prompt that never comes; the controller
    // then gets the limited wait every aborted transfer gives it.
    if (!aborted() && d_.dialogue.Wait_Prompt(&d_.state.abort_request, seen)) return true;
    return d_.dialogue.TWait_Prompt(kAbortedWaitSeconds);
}

bool TransferScope::send_echoed(const std::string& command) {
    d_.term.set_Output(command);
    d_.dialogue.CommOutBufferWiatZero();
    std::string seen;
    return !wait_prompt(&seen) || aborted() || echoes(seen, command);
}

void TransferScope::leave_load_mode() {
    d_.term.set_Output("ECHO\r");
    wait_prompt();
}

void TransferScope::finish(const std::string& result, const char* caption) {
    d_.dialogs.MessageBox(caption, result, platform::MsgIcon::None, platform::MsgButtons::Ok);
    progress_.set_main_window_enabled(true);
    progress_.hide();
    transfer_mode_.reset();
    d_.shell.focus_terminal();
    d_.term.set_InBufferCount(0);
    d_.term.set_Output("\r");
    d_.shell.termmode_menu_enable();
    finished_ = true;
}

void TransferScope::restore() noexcept {
    try {
        if (shown_) {
            progress_.hide();
            progress_.set_main_window_enabled(true);
        }
        transfer_mode_.reset();
        // Reads of a port that stays open go back to the receive handler.
        if (d_.term.PortOpen()) {
            d_.term.set_InputLen(0);
            d_.term.set_InBufferCount(0);
        }
        if (shown_) d_.shell.termmode_menu_enable();
        d_.shell.focus_terminal();
    } catch (...) {
        // Putting back is best effort: the port may be gone, and a destructor
        // must not throw while another exception unwinds.
    }
}

}  // namespace qvt::transfer
