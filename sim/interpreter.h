// The program runner: executes the stored program one statement per step.
//
// A program position is a line number and an offset into that line's text;
// each step() executes the statement found there and moves on (next statement
// after ":", the next line, or a jump). The controller decides how many steps
// to run and when, so a tight loop can never hold up its caller. A step can
// leave the program waiting (WAIT/DELAY until a time, INPUT until a line is
// typed), paused (STOP, Ctrl-A, a break point: CONT resumes at the same
// place), ended (END, the last line, an error). Break points are checked when
// execution arrives at the start of a line; the first statement after a
// resume is not checked again, so continuing from a break point moves on.
//
// The same statement code serves three callers: run steps, direct commands
// typed at the prompt ("A=5", "PRINT A"), and the syntax check of a program
// line when it is entered (no effects; see Expression's check mode).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/program_store.h"
#include "sim/scanner.h"
#include "sim/value.h"

namespace kvb::sim {

class Interpreter {
  public:
    enum class State { Idle, Running, Waiting, Input, Paused };
    enum class Event { None, Ended, Stopped, BreakPoint, Error };
    struct StepResult {
        Event event = Event::None;
        std::string message;  // error text without line number; "Trace" for a trace stop
        int line = 0;         // where it happened
    };
    static constexpr int kMaxBreakPoints = 8;

    explicit Interpreter(const ProgramStore& store) : store_(store) {}

    // Syntax check of a statement text; throws SimError.
    void check(const std::string& text);
    // Executes a direct command line; output appended to out. Throws SimError.
    void execute_direct(const std::string& text, std::string& out);

    // RUN: variables cleared, from the first line at or after `line`.
    void start(int line);
    // Ctrl-A: pauses a program that runs or waits; CONT can resume.
    void stop();
    // The program was edited: CONT is no longer possible.
    void invalidate();
    bool can_continue() const { return state_ == State::Paused; }
    void resume();
    // The next step is the only one before pausing again (trace at a break point).
    void trace_one() { trace_ = true; }

    State state() const { return state_; }
    bool runnable(std::int64_t now) const;
    std::optional<std::int64_t> wait_until() const;
    int current_line() const { return pos_.line; }
    // A line typed while INPUT waits.
    void provide_input(const std::string& line);

    StepResult step(std::string& out, std::int64_t now);

    // Break points: set (line must exist), clear all, list in the order set.
    void set_break_point(int line);
    void clear_break_points() { break_points_.clear(); }
    const std::vector<int>& break_points() const { return break_points_; }
    void renumber_break_points(const std::map<int, int>& renamed);

    const Variables& variables() const { return vars_; }

  private:
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
    struct Context {
        bool check;
        bool direct;
        std::string* out;
        std::int64_t now;
    };
    enum class Flow { Next, Jump, ContinueHere, End, Stop, Wait, Input };

    Flow exec(Scanner& s, Context& cx);
    Flow exec_print(Scanner& s, Context& cx, int form);
    Flow exec_if(Scanner& s, Context& cx);
    Flow exec_for(Scanner& s, Context& cx);
    Flow exec_next(Scanner& s, Context& cx);
    Flow exec_assign(Scanner& s, Context& cx, std::string name);
    Flow exec_jump_target(Scanner& s, Context& cx);
    Flow exec_input(Scanner& s, Context& cx);
    // Position of the statement after the one the scanner just finished.
    Pos following(const Scanner& s) const;
    Pos line_start(std::optional<int> line) const;

    const ProgramStore& store_;
    Variables vars_;
    State state_ = State::Idle;
    Pos pos_;
    Pos jump_;
    std::vector<Pos> gosub_stack_;
    std::vector<ForFrame> for_stack_;
    std::int64_t wait_until_ = 0;
    std::string input_var_;
    bool skip_break_ = false;
    bool trace_ = false;
    std::vector<int> break_points_;
};

}  // namespace kvb::sim
