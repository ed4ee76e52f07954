// Starting other programs from the Qt front-end.
//
// How it works: every start goes through QProcess with the arguments passed
// as they are (no shell). start() keeps the QProcess in a RunningProgram; its
// end arrives as the QProcess's finished signal in the event loop, so a wait
// in the event pump wakes exactly then. A RunningProgram dropped while its
// program still runs hands the QProcess over to delete itself when the
// program ends, instead of killing it. start_detached() leaves the program to
// itself. run_and_wait() runs a local event loop until the program has
// finished, so the serial line, timers and repaints go on while, say, the
// system loader runs; callers disable their own window meanwhile.
#pragma once

#include "core/platform/processes.h"

namespace qvt::gui {

class QtProcesses : public platform::Processes {
  public:
    std::optional<int> run_and_wait(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    std::string& error) override;
    bool is_file(const std::string& path) const override;
    std::unique_ptr<platform::RunningProgram> start(
        const std::string& program, const std::vector<std::string>& arguments) override;
    bool start_detached(const std::string& program,
                        const std::vector<std::string>& arguments) override;
};

}  // namespace qvt::gui
