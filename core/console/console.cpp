#include "core/console/console.h"

namespace qvt::console {

Console::Console(const ConsoleDeps& d)
    : shell(d.state, d.term, d.pump, d.dialogs),
      commands(shell, d.dialogue, d.pump, d.ops, d.files),
      keyboard(shell, commands, d.dialogue, d.ops, d.clipboard, d.ime_enabled),
      menu(shell, commands, d.dialogue, d.ops),
      receive_hooks(shell, d.ops),
      request_hooks(keyboard, d.ops, d.files) {
    commands.attach_keys(keyboard);
}

}  // namespace qvt::console
