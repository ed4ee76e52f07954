// Starting other programs from the Qt front-end.
//
// How it works: run_and_wait() starts the program with QProcess (arguments
// passed as they are, no shell) and runs a local event loop until it has
// finished, so the serial line, timers and repaints go on while, say, the
// system loader runs. Callers disable their own window meanwhile.
#pragma once

#include "core/platform/processes.h"

namespace qvt::gui {

class QtProcesses : public platform::Processes {
  public:
    std::optional<int> run_and_wait(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    std::string& error) override;
    bool is_file(const std::string& path) const override;
};

}  // namespace qvt::gui
