#include "core/session/session.h"

namespace qvt::session {

Session::Session(const SessionPlatform& p, link::LifecycleView& lifecycle_view)
    : term(p.term),
      dialogs(p.dialogs),
      pump(p.pump),
      dialogue(state, p.term, pump),
      ops(p.dialogs),
      console({state, p.term, pump, p.dialogs, p.clipboard, dialogue, ops, files(),
               profile.ime_enabled}),
      receive(state, p.term, console.receive_hooks),
      request(state, p.term, pump, p.dialogs, console.request_hooks),
      lifecycle(state, p.term, pump, dialogue, p.dialogs, p.ports, lifecycle_view),
      transfers(transfer_deps(p)),
      debug({state, p.term, dialogue, p.dialogs, console.shell}),
      io_checker({state, p.term, pump, dialogue}),
      desktop({lifecycle, p.dialogs, p.term, dialogue, profile, p.processes, &state, &pump,
               &lifecycle_view, p.program_folder, p.windows, p.window_controls}),
      starter_(p.processes, pump, p.program_folder),
      editors_(transfer_deps(p), transfers.hooks, transfers.histories,
               {profile.editor, profile.editor1}, starter_),
      line_editing_(transfer_deps(p), p.clipboard),
      file_ops_(transfers, p.dialogs, &editors_) {
    ops.provide(file_ops_);
    ops.provide(line_editing_);
    ops.provide(desktop);
    ops.provide(debug);
    ops.provide(io_checker);
    debug.break_points.keys = &console.keyboard;
    transfers.hooks.GetKVB68KVersion = [this] { return lifecycle.GetKVB68KVersion(); };
    transfers.hooks.open_folder = [this](const std::string& folder) {
        desktop.open_folder(folder);
    };
}

transfer::TransferDeps Session::transfer_deps(const SessionPlatform& p) {
    return transfer::TransferDeps{state,         p.term,           pump, dialogue, p.dialogs,
                                  console.shell, console.commands, ops,  files()};
}

}  // namespace qvt::session
