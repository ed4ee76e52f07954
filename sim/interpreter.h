// The program runner: executes the stored program one statement per step.
//
// A program runs as up to eight tasks. RUN starts task 1; "TASK n, target"
// starts (or restarts) task n, 2 to 8, at a line or label. Tasks share the
// variables and the IO and take steps in turn. Each task has its own position
// (a line number and an offset into that line's text), GOSUB and FOR stacks
// and wait state; a step executes the statement at the position of the next
// task in turn and moves that task on (next statement after ":", the next
// line, or a jump). The controller decides how many steps to run and when, so
// a tight loop can never hold up its caller.
//
// A task ends at END or past the last line; the others go on. Task 1 is the
// one that holds the host's line (the controller gives the prompt back when it
// ends); the others may run on in the background. STOP, Ctrl-A and a break
// point pause all tasks (CONT resumes them); an error ends them all. Break
// points are checked when a task arrives at the start of a line; the task that
// stopped there does not stop there again at once when resumed, so continuing
// moves on. A trace resumes the program until the task that stopped arrives at
// the start of a line again.
//
// The same statement code serves three callers: run steps, direct commands
// typed at the prompt ("A=5", "PRINT A", "ON 3"), and the syntax check of a
// program line when it is entered (no effects; see Expression's check mode).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/io_space.h"
#include "sim/program_store.h"
#include "sim/scanner.h"
#include "sim/value.h"

namespace kvb::sim {

class Expression;

class Interpreter {
  public:
    enum class Event { None, TaskEnded, Stopped, BreakPoint, Error };
    struct StepResult {
        Event event = Event::None;
        std::string message;  // error text without line number; "Trace" for a trace stop
        int line = 0;         // where it happened
    };
    struct TaskInfo {
        int number;
        int line;  // the line it executes (or waits in)
    };
    static constexpr int kMaxBreakPoints = 8;
    static constexpr int kMaxTasks = 8;

    Interpreter(const ProgramStore& store, IoSpace& io) : store_(store), io_(io) {}

    // Syntax check of a statement text; throws SimError.
    void check(const std::string& text);
    // Executes a direct command line; output appended to out. Throws SimError.
    void execute_direct(const std::string& text, std::string& out, std::int64_t now);

    // RUN: variables cleared, all tasks ended, task 1 from the first line at or after `line`.
    void start(int line);
    // Ctrl-A: pauses a program whose tasks run or wait; CONT can resume.
    void stop();
    // The program was edited: every task ends and CONT is no longer possible.
    void end_all();
    bool can_continue() const { return paused_ && !tasks_.empty(); }
    // Resumes a paused program; with trace, it pauses again when the task that
    // stopped at the break point reaches the start of a line.
    void resume(bool trace = false);

    bool idle() const { return tasks_.empty(); }
    // Tasks exist and are not paused.
    bool active() const { return !tasks_.empty() && !paused_; }
    // Task 1 (the one started by RUN) still exists.
    bool foreground() const { return tasks_.count(1) != 0; }
    bool input_waiting() const;
    bool runnable(std::int64_t now) const;
    // When no task can step now: the earliest time a waiting one wakes.
    std::optional<std::int64_t> wait_until() const;
    bool any_running() const;
    std::vector<TaskInfo> tasks() const;
    // A line typed while INPUT waits (the lowest-numbered task waiting takes it).
    void provide_input(const std::string& line);

    StepResult step(std::string& out, std::int64_t now);

    // Break points: set (line must exist), clear all, list in the order set.
    void set_break_point(int line);
    void clear_break_points() { break_points_.clear(); }
    const std::vector<int>& break_points() const { return break_points_; }
    void renumber_break_points(const std::map<int, int>& renamed);

    const Variables& variables() const { return vars_; }

  private:
    enum class TaskState { Running, Waiting, Input };
    struct Pos {
        int line = -1;  // -1: past the end
        std::size_t offset = 0;
    };
    struct ForFrame {
        std::string var;
        double limit;
        double step;
        Pos body;
    };
    struct Task {
        Pos pos;
        int shown_line = 0;  // the line MON reports
        TaskState state = TaskState::Running;
        std::vector<Pos> gosub_stack;
        std::vector<ForFrame> for_stack;
        std::int64_t wait_until = 0;
        std::string input_var;
        bool skip_break = false;
        int steps_since_resume = 0;
    };
    struct Context {
        bool check;
        bool direct;
        std::string* out;
        std::int64_t now;
    };
    enum class Flow { Next, Jump, ContinueHere, End, Stop, Wait, Input };

    Expression expr(Scanner& s, const Context& cx) const;
    Flow exec(Scanner& s, Context& cx);
    Flow exec_print(Scanner& s, Context& cx, int form);
    Flow exec_if(Scanner& s, Context& cx);
    Flow exec_for(Scanner& s, Context& cx);
    Flow exec_next(Scanner& s, Context& cx);
    Flow exec_assign(Scanner& s, Context& cx, std::string name);
    Flow exec_jump_target(Scanner& s, Context& cx);
    Flow exec_task(Scanner& s, Context& cx);
    Flow exec_input(Scanner& s, Context& cx);
    // The line a GOTO-like target names; throws when it does not exist (not in check mode).
    std::optional<Pos> target(Scanner& s, Context& cx);
    // Position of the statement after the one the scanner just finished.
    Pos following(const Scanner& s) const;
    Pos line_start(std::optional<int> line) const;
    // The next task in turn that can step now, after the last one stepped.
    std::map<int, Task>::iterator next_task(std::int64_t now);

    const ProgramStore& store_;
    IoSpace& io_;
    Variables vars_;
    std::map<int, Task> tasks_;  // by task number; a map keeps references stable
    Task* task_ = nullptr;       // the task being stepped
    int task_number_ = 0;
    int last_stepped_ = 0;
    bool paused_ = false;
    int stopped_task_ = 0;  // the task that stopped at a break point, 0 after other pauses
    int trace_task_ = 0;    // the task a trace follows, 0 when not tracing
    Pos jump_;
    std::vector<int> break_points_;
};

}  // namespace kvb::sim
