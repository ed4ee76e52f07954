// Line entry on the terminal: Enter on a screen line, commands entered from
// menus and lists, the local commands, run and stop, and the command history
// page's keys.
//
// How it works: the terminal is a screen editor, so Enter reads the screen row
// under the cursor rather than a typed buffer. The line is cleaned; a leading
// number makes it a program line, which is sent in two exchanges (the number
// alone first, so the controller drops an old line of that number, then the
// whole line, whose reply is shown) without entering terminal mode. Any other
// line is a command: it goes to the history, runs here when it is a local
// command, and otherwise is sent with terminal mode set, so that keys pass
// through until the controller's prompt returns. The echo of a sent line is
// hidden by echo_skip because the line is already on the screen.
//
// CommandExec writes a command onto the cursor's line and then acts through
// the keyboard's CommKeyDown, exactly as if the user had pressed Enter (or
// nothing, to leave the line for editing).
#pragma once

#include <string>

#include "core/console/command_history.h"
#include "core/console/file_names.h"
#include "core/console/line_parse.h"
#include "core/console/main_shell.h"
#include "core/console/operations.h"
#include "core/link/dialogue.h"

namespace qvt::console {

// Whoever acts on the editing keys of the terminal (the Keyboard).
class KeySink {
  public:
    virtual ~KeySink() = default;
    virtual void CommKeyDown(int& key, platform::ShiftState shift) = 0;
};

class Commands {
  public:
    Commands(MainShell& shell, link::Dialogue& dialogue, platform::EventPump& pump, Operations& ops,
             FileNames files);

    void attach_keys(KeySink& keys) { keys_ = &keys; }
    CommandHistory& history() { return history_; }

    // Enter on the terminal outside terminal and transfer mode; consumes key.
    void EnterLine(int& key);
    // mode 0: enter at once; mode 1: leave on the line for editing.
    void CommandExec(const std::string& command, int mode);
    void SetHistory(const std::string& line) { history_.SetHistory(line); }
    // Runs line as a local command if it is one; true when it was. A file
    // name in it is UTF-8 unless terminal_text says the line was read from the
    // terminal, whose Shift-JIS name is converted before it is stored.
    bool QVTCommands(const std::string& line, bool terminal_text = false);
    void PrgRun();
    void kvb_quit();
    void IOC_exec();

    // ---- the command history page -------------------------------------------
    void ListBox1KeyDown(int& key, platform::ShiftState shift);
    void ListBox1DblClick();

  private:
    void transmit(const std::string& bytes);
    void run_local(const LocalMatch& match);

    MainShell& shell_;
    link::Dialogue& dialogue_;
    platform::EventPump& pump_;
    Operations& ops_;
    FileNames files_;
    CommandHistory history_;
    KeySink* keys_ = nullptr;
};

}  // namespace qvt::console
