// Starting other programs and the file-system questions asked before doing so.
//
// How it works: a program is always started with its arguments as separate
// strings; no shell parses them, so a file name with blanks or quotes reaches
// the program as the one argument it is. There are three ways to start one:
//
// - start_detached() starts it and forgets it: the program lives on by
//   itself, also after this one has ended.
// - start() starts it and hands back a RunningProgram whose end the caller
//   waits for in the event pump: the program's end is an event of the pump,
//   so a caller that blocks in EventPump::wait_for_event() wakes when it
//   ends, while the serial line, timers and repaints go on meanwhile and no
//   clock is polled. Dropping the RunningProgram before the end leaves the
//   program running (the user's editor keeps its unsaved work when this
//   program ends first).
// - run_and_wait() starts it and returns only when it has ended, dispatching
//   events meanwhile; the result is the exit code, or nothing when it could
//   not be started (missing, not executable), and then `error` says why. A
//   program that crashed counts as ended, with a non-zero code. User input
//   to the caller's windows should be held off by the caller if it matters.
//
// start() and start_detached() tell only whether the start succeeded. An
// implementation that cannot start programs in these ways starts none.
//
// is_file() answers whether a regular file exists at a path, so that a caller
// can choose among candidate names before starting anything.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvt::platform {

class RunningProgram {
  public:
    virtual ~RunningProgram() = default;
    // True once the program has ended; changes only while the pump dispatches.
    virtual bool ended() const = 0;
};

class Processes {
  public:
    virtual ~Processes() = default;
    virtual std::optional<int> run_and_wait(const std::string& program,
                                            const std::vector<std::string>& arguments,
                                            std::string& error) = 0;
    virtual bool is_file(const std::string& path) const = 0;
    // Null when the program could not be started.
    virtual std::unique_ptr<RunningProgram> start(const std::string& /*program*/,
                                                  const std::vector<std::string>& /*arguments*/) {
        return nullptr;
    }
    // False when the program could not be started.
    virtual bool start_detached(const std::string& /*program*/,
                                const std::vector<std::string>& /*arguments*/) {
        return false;
    }
};

}  // namespace qvt::platform
