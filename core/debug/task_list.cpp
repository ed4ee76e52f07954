#include "core/debug/task_list.h"

namespace qvt::debug {

bool MonitorReply::feed(char c) {
    // The rest of the block that brought the prompt is read but belongs to
    // no listed segment.
    if (ended_) return true;
    switch (c) {
        case 'M':
        case 'N':
        case 'O':
        case ' ':
            break;
        case '\t':
            store();
            current_.clear();
            break;
        case '\n':
            after_lf_ = true;
            break;
        case '\r':
            after_lf_ = false;
            break;
        case '#':
            if (after_lf_) {
                store();
                ended_ = true;
                return true;
            }
            current_ += c;
            break;
        default:
            current_ += c;
            after_lf_ = false;
            break;
    }
    return false;
}

void MonitorReply::store() {
    if (segments_.size() < kSegmentTable) segments_.push_back(current_);
}

std::optional<TaskEntry> task_entry(const std::string& segment) {
    const auto open = segment.find('[');
    if (open == std::string::npos) return std::nullopt;
    // The line number runs up to the segment's last character, the "]".
    const std::size_t end = segment.size() - 1;
    return TaskEntry{segment.substr(0, open),
                     end > open ? segment.substr(open + 1, end - open - 1) : std::string{}};
}

namespace {

// Leaving by an error or the end of the program: the menus come back for a
// port that is still open; a closed one is the lifecycle's to show.
class ReadyOnError {
  public:
    ReadyOnError(console::MainShell& shell, platform::TerminalControl& term)
        : shell_(shell), term_(term) {}
    ~ReadyOnError() {
        if (done) return;
        try {
            if (term_.PortOpen()) shell_.termmode_menu_enable();
            shell_.focus_terminal();
        } catch (...) {
            // Best effort while another exception unwinds.
        }
    }
    ReadyOnError(const ReadyOnError&) = delete;
    ReadyOnError& operator=(const ReadyOnError&) = delete;
    bool done = false;

  private:
    console::MainShell& shell_;
    platform::TerminalControl& term_;
};

}  // namespace

void TaskList::MonList() {
    d_.shell.termmode_menu_disable();
    ReadyOnError ready(d_.shell, d_.term);
    std::optional<link::TransferModeGuard> transfer_mode(d_.state);
    d_.term.set_Disp("\r\n");
    d_.term.set_InBufferCount(0);

    d_.term.set_Output("MON\r");
    d_.dialogue.CommOutBufferWiatZero();
    MonitorReply reply;
    d_.dialogue.read_bytes_until([&](char c) { return reply.feed(c); });

    const auto& segments = reply.segments();
    for (std::size_t i = 1; i < segments.size(); ++i) {
        if (const auto task = task_entry(segments[i])) show_task(*task);
    }

    // The listing leaves the controller's LIST pointer at the top again.
    d_.term.set_Output("LIST 0 20\r");
    d_.dialogue.Wait_Prompt();

    d_.state.term_mode = 1;
    d_.term.set_Output("\r");
    d_.shell.termmode_menu_enable();
    transfer_mode.reset();
    ready.done = true;
    d_.shell.focus_terminal();
}

void TaskList::show_task(const TaskEntry& task) {
    d_.term.set_InBufferCount(0);
    std::string listed;
    d_.dialogue.CommOut("LIST " + task.line + " 1", listed);
    // An empty answer is at most its line break; a rejected line number
    // shows the controller's complaint instead of the line.
    if (listed.size() <= 2) return;
    if (listed.ends_with("\r\n")) listed.resize(listed.size() - 2);
    d_.term.set_Disp(listed + "\t" + task.name + "\r\n");
}

}  // namespace qvt::debug
