// Operations from the shell without a display: a program, point or MBK save
// or load, or one command line, and then the exit.
//
// How it works: the headless run builds the same core Session the window
// builds, on the same event pump and serial terminal control (they need only
// QCoreApplication), with headless stand-ins where the window has windows:
// dialogs that answer questions by --yes and report messages on stderr, file
// dialogs that are never asked because the FILE argument is preselected, and
// a progress display on stderr. It connects through the launcher's own Connect
// (so the stop at connect is the window's) and runs the session's own
// operation, so the bytes on the line are those of the window's operation.
//
// A question the window would ask (replacing a file, deleting the
// controller's program or data) must be allowed with --yes; without it the
// run stops before the port is opened. --timeout bounds the waits the window
// leaves unlimited: after that many seconds without a byte from the
// controller the operation is aborted as the Abort button aborts it, and after
// as many more the run gives up. Ctrl-C is the Abort button; a second Ctrl-C
// gives up at once.
#pragma once

#include <optional>
#include <string_view>

namespace qvt::gui::headless {

// The exit statuses.
inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;  // refused, timed out or aborted
inline constexpr int kPortError = 2;
inline constexpr int kFileError = 3;
inline constexpr int kUsage = 64;

// A whole decimal number and nothing else, as the command line's numbers are.
std::optional<int> to_int(std::string_view text);

// True when the arguments name a headless operation.
bool requested(int argc, char** argv);
// Parses the arguments, runs the operation and returns the exit status.
int run(int argc, char** argv);

}  // namespace qvt::gui::headless
