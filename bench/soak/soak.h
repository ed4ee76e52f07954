// A long run of program, point and MBK saves and loads against the
// in-process simulated controller on the virtual clock, each with a line
// fault drawn at random (a reply delay past the time limits, dropped prompts,
// garbage bytes, a hang-up at a random byte, or none), and after every one
// the checks that nothing was lost:
//   - the state is back: transfer_mode clear, the main window enabled, the
//     progress dialog gone;
//   - a save that did not complete left the old file whole; a completed one
//     holds exactly the controller's data (line noise aside: bytes the
//     garbage fault put on the line are the only difference);
//   - a load that never sent its clearing command left the controller's
//     data as it was; a completed one left exactly the file's data there.
// A user who sees the progress dialog for a long time presses Abort.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qvt::soak {

struct Tally {
    int count = 0;
    int failed_checks = 0;
};

struct Report {
    int iterations = 0;
    // (operation, outcome) -> how often, and how often a check failed.
    std::map<std::pair<std::string, std::string>, Tally> rows;
    std::map<std::string, int> faults;
    std::vector<std::string> problems;  // the first few failed checks, told
    int failed_checks = 0;
};

Report run(int iterations, std::uint32_t seed);
std::string table(const Report& report);

}  // namespace qvt::soak
