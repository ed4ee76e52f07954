#include "core/transfer/scope.h"

#include <exception>

namespace qvt::transfer {

void clear_the_line(const TransferHooks& hooks) {
    call(hooks.hide_break_point_window);
    call(hooks.quit_watch);
    call(hooks.close_watch_window_if_visible);
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

void TransferScope::show_progress(const std::string& caption, const std::string& file,
                                  const std::string& label) {
    progress_.show_for(caption, file, label);
    progress_.set_main_window_enabled(false);
    d_.shell.termmode_menu_disable();
    shown_ = true;
    d_.pump.process_pending();
    transfer_mode_.emplace(d_.state);
}

bool TransferScope::wait_prompt() {
    if (!aborted()) {
        d_.dialogue.Wait_Prompt();
        return true;
    }
    return d_.dialogue.TWait_Prompt(kAbortedWaitSeconds);
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
