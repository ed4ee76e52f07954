// The task list: which tasks the controller's task monitor knows, each shown
// on the terminal as the program line it stands at, a tab and its name.
//
// How it works: "MON" is sent and its reply is cut into segments at tabs by
// MonitorReply, one byte at a time through the dialogue's read loop, so the
// window keeps painting while the controller thinks and the end of the
// program unwinds the wait. The reply has no time limit: a controller busy
// with its tasks may take long, and the user can always stop it. Upper-case
// M, N and O are dropped everywhere, which removes the echo of "MON" (and
// those letters from task names, as the controller's own tools show them);
// blanks are dropped; segment 0 is what came before the first tab and is
// never shown. Every later segment "name[line]" is listed with "LIST line 1"
// and the listed line is written to the screen with the name. The table
// holds 48 segments; further ones are dropped, so a reply flooded by program
// output cannot start an endless run of LIST commands.
//
// The operation holds transfer_mode and the busy state throughout; it ends
// as a typed command does: term_mode set and a carriage return sent, so the
// controller's fresh prompt returns the window to the ready state.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/debug/context.h"

namespace qvt::debug {

inline constexpr std::size_t kSegmentTable = 48;

class MonitorReply {
  public:
    // Sorts one received byte; true once the prompt after a line feed has
    // ended the reply.
    bool feed(char c);
    // Segment 0 and the task entries, up to the one the prompt ended.
    const std::vector<std::string>& segments() const { return segments_; }

  private:
    void store();

    std::vector<std::string> segments_;
    std::string current_ = "MON";
    bool after_lf_ = false;
    bool ended_ = false;
};

struct TaskEntry {
    std::string name;
    std::string line;
};

// "Task1[120]" -> {Task1, 120}; none without "[".
std::optional<TaskEntry> task_entry(const std::string& segment);

class TaskList {
  public:
    explicit TaskList(const DebugDeps& deps) : d_(deps) {}
    void MonList();

  private:
    void show_task(const TaskEntry& task);

    DebugDeps d_;
};

}  // namespace qvt::debug
