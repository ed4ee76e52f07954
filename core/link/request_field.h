// The hidden request field of the main window: another program asks for a
// program load, a LIST, a PRINT or a PRX by writing a short request into it.
//
// How it works: a request is two characters ("/L", "/T", "/P", "/X"), one
// separator and an argument, for example "/P X1". A change of the field only
// arms the one-shot 10 ms timer Timer2 (unless a request is already pending),
// so the request runs from the event loop and not inside whatever delivered
// it. Requests are carried out one at a time, in the order they came:
// "/L" loads the program file named by the argument (or the current one);
// that name comes from another program, not from the terminal, so it is taken
// as a file name as it stands (UTF-8, the file system's own), not converted;
// "/T", "/P" and "/X" put a LIST, PRINT ... : PRX ... or PRX line on the
// terminal's current line and press Enter on it, exactly as if the user had
// typed it. A request never starts inside another operation: while one runs
// (a transfer, a typed line waiting for its prompt, an earlier request) the
// requests wait in their queue, and Timer2 looks again every 100 ms until
// the main window is ready.
//
// Requests that cannot be a single request (a line break inside, fewer than
// two characters, an unknown code) are dropped without effect. How the text
// reaches the field (on POSIX, a local socket) is the front-end's business.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "core/link/shared_state.h"
#include "core/platform/dialogs.h"
#include "core/platform/event_pump.h"
#include "core/platform/terminal_control.h"

namespace qvt::link {

// What a request needs from the rest of the program.
class RequestHooks {
  public:
    virtual ~RequestHooks() = default;
    // Loads the program file Prg_File into the controller.
    virtual void Load68k() = 0;
    // The terminal's key handling; Enter (13) sends the line under the cursor.
    virtual void CommKeyDown(int& key, platform::ShiftState shift) = 0;
    // The profile's current program file name.
    virtual void set_Prg_File(const std::string& path) = 0;
};

class RequestField {
  public:
    RequestField(SharedState& state, platform::TerminalControl& term, platform::EventPump& pump,
                 platform::Dialogs& dialogs, RequestHooks& hooks);

    // The field's change handler: the field now holds text.
    void MaskEdit1Change(const std::string& text);
    // Timer2's handler: carries out the request in the field.
    void Timer2Timer();

    bool request_pending() const { return running_ || !queue_.empty(); }

    static constexpr platform::Millis kTimer2IntervalMs = 10;
    static constexpr platform::Millis kBusyRetryMs = 100;
    // Requests beyond this many waiting are dropped: another program cannot
    // make the queue grow without bound.
    static constexpr std::size_t kMaxWaiting = 64;

  private:
    void run(const std::string& text);
    void type_and_enter(const std::string& line);

    SharedState& state_;
    platform::TerminalControl& term_;
    platform::EventPump& pump_;
    platform::Dialogs& dialogs_;
    RequestHooks& hooks_;
    std::unique_ptr<platform::Timer> timer2_;
    std::deque<std::string> queue_;
    bool running_ = false;
};

}  // namespace qvt::link
