#include "core/transfer/editors.h"

#include <algorithm>

#include "core/transfer/file_dialog.h"

namespace qvt::transfer {

// ---- ProgramStarter -------------------------------------------------------------

std::string ProgramStarter::program_path(const std::string& executable) const {
    if (executable.empty() || executable.front() != '\\') return executable;
    std::string rest = executable.substr(1);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return program_folder_ + "/" + rest;
}

std::vector<std::string> ProgramStarter::arguments(const std::string& parameters) {
    if (parameters.empty()) return {};
    return {parameters};
}

void ProgramStarter::WinShell(const std::string& executable, const std::string& parameters) {
    if (processes_ == nullptr) return;
    const auto program = processes_->start(program_path(executable), arguments(parameters));
    if (!program) return;
    // The program's end is an event of the pump: no deadline, no polling.
    while (!program->ended())
        pump_.wait_for_event(-1);
}

void ProgramStarter::WinShell1(const std::string& executable, const std::string& parameters) {
    if (processes_ == nullptr) return;
    processes_->start_detached(program_path(executable), arguments(parameters));
}

// ---- Editors ----------------------------------------------------------------------

struct Editors::Kind {
    const char* title;
    std::vector<std::pair<std::string, std::string>> filter;
    const char* default_ext;
    bool focus_terminal_on_cancel;
    void (FileHistories::*record)(const std::string&, const std::string&);
    const char* action;
    // Point and MBK data are edited before they are sent: wait for the editor.
    bool wait;
};

void Editors::Edit_Prg(int no_history) {
    static const Kind kind{.title = "Edit Program",
                           .filter = {{"Q2K files (*.Q2K)", "*.Q2K"},
                                      {"Q2K with List Number (*.Q2K_LIST)", "*.Q2K_LIST"}},
                           .default_ext = "Q2K",
                           .focus_terminal_on_cancel = false,
                           .record = &FileHistories::PrgFileHistory,
                           .action = "EDIT",
                           .wait = false};
    edit(kind, d_.files.Prg_File, paths_.Editor, no_history);
}

void Editors::Edit_pnt(int no_history) {
    static const Kind kind{.title = "Edit Point",
                           .filter = {{"P2K files (*.P2K)", "*.P2K"}},
                           .default_ext = "P2K",
                           .focus_terminal_on_cancel = true,
                           .record = &FileHistories::PointFileHistory,
                           .action = "PEDIT",
                           .wait = true};
    edit(kind, d_.files.Pnt_File, paths_.Editor1, no_history);
}

void Editors::Edit_Mbk(int no_history) {
    static const Kind kind{.title = "Edit Mbk",
                           .filter = {{"MBK files (*.MBK)", "*.MBK"}},
                           .default_ext = "MBK",
                           .focus_terminal_on_cancel = true,
                           .record = &FileHistories::MbkFileHistory,
                           .action = "MEDIT",
                           .wait = true};
    edit(kind, d_.files.Mbk_File, paths_.Editor1, no_history);
}

void Editors::edit(const Kind& kind, std::string& file, const std::string& editor, int no_history) {
    call(hooks_.hide_break_point_window);
    call(hooks_.close_watch_window_if_visible);
    if (d_.state.file_preselected == 0) {
        FileDialogOptions options;
        options.default_ext = kind.default_ext;
        options.title = kind.title;
        options.filter = kind.filter;
        if (!OpenSaveFileDialog(d_.dialogs, options, file)) {
            if (kind.focus_terminal_on_cancel) d_.shell.focus_terminal();
            return;
        }
    }
    d_.state.file_preselected = 0;
    if (no_history != 1) (histories_.*kind.record)(kind.action, file);
    if (kind.wait) {
        starter_.WinShell(editor, file);
    } else {
        starter_.WinShell1(editor, file);
    }
}

}  // namespace qvt::transfer
