// Starting other programs and the file-system questions asked before doing so.
//
// How it works: run_and_wait() starts a program with its arguments as separate
// strings (no shell parses them) and returns only when the program has ended.
// The wait does not freeze the program: the implementation keeps dispatching
// events meanwhile (the Qt one runs a local event loop; the serial line,
// timers and repaints go on), but user input to the caller's windows should be
// held off by the caller if it matters. The result is the program's exit code,
// or nothing when it could not be started at all (missing, not executable);
// then `error` says why. A program that crashed counts as ended, with a
// non-zero code.
//
// is_file() answers whether a regular file exists at a path, so that a caller
// can choose among candidate names before starting anything.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvt::platform {

class Processes {
  public:
    virtual ~Processes() = default;
    virtual std::optional<int> run_and_wait(const std::string& program,
                                            const std::vector<std::string>& arguments,
                                            std::string& error) = 0;
    virtual bool is_file(const std::string& path) const = 0;
};

}  // namespace qvt::platform
