// The external editors: Edit_Prg, Edit_pnt and Edit_Mbk let the user pick a
// program, point or MBK file and open it in the editor the profile names, and
// the two program starters they use, WinShell and WinShell1.
//
// How it works: an editor launch frees the line of the windows that poll it,
// asks for the file with the open dialog of its kind (unless a local command
// or the file history chose it already: file_preselected), records the file
// in its history (not for the launcher's offline edit) and starts the editor
// with the file name as its one argument. The program editor runs beside the
// terminal (WinShell1); the point and MBK editors are waited for (WinShell),
// because the user edits data that the next transfer sends.
//
// ProgramStarter starts a program through the platform's process runner with
// an argument vector, so a file name with blanks or quotes reaches the editor
// whole. An editor path that starts with "\" lies in the program's own folder
// (the profile's way of naming the editors delivered beside the program); the
// rest of such a path may use "\" or "/" between folders. WinShell blocks in
// the event pump until the program ends: the window keeps painting, timers
// and the serial line go on. A program that cannot be started is not
// reported; WinShell then returns at once.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/platform/event_pump.h"
#include "core/platform/processes.h"
#include "core/transfer/context.h"
#include "core/transfer/file_histories.h"

namespace qvt::transfer {

class ProgramStarter {
  public:
    // processes null: nothing is ever started (a session without a desktop).
    ProgramStarter(platform::Processes* processes, platform::EventPump& pump,
                   std::string program_folder)
        : processes_(processes), pump_(pump), program_folder_(std::move(program_folder)) {}

    // Starts the program and returns when it has ended.
    void WinShell(const std::string& executable, const std::string& parameters);
    // Starts the program and returns at once.
    void WinShell1(const std::string& executable, const std::string& parameters);

    // The path actually started: "\name" becomes <program folder>/name.
    std::string program_path(const std::string& executable) const;

  private:
    static std::vector<std::string> arguments(const std::string& parameters);

    platform::Processes* processes_;
    platform::EventPump& pump_;
    std::string program_folder_;
};

// The profile's editor paths ("Editor" and "Editor1"), bound as the file
// names are, so a change in the settings dialog counts at the next launch.
struct EditorPaths {
    const std::string& Editor;   // programs
    const std::string& Editor1;  // points and MBK data
};

class Editors {
  public:
    Editors(const TransferDeps& deps, const TransferHooks& hooks, FileHistories& histories,
            EditorPaths paths, ProgramStarter& starter)
        : d_(deps), hooks_(hooks), histories_(histories), paths_(paths), starter_(starter) {}

    // no_history 1: the launcher's offline edit, which records nothing.
    void Edit_Prg(int no_history);
    void Edit_pnt(int no_history);
    void Edit_Mbk(int no_history);

  private:
    struct Kind;
    void edit(const Kind& kind, std::string& file, const std::string& editor, int no_history);

    TransferDeps d_;
    const TransferHooks& hooks_;
    FileHistories& histories_;
    EditorPaths paths_;
    ProgramStarter& starter_;
};

}  // namespace qvt::transfer
