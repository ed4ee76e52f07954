// Starting the external editors with the real process runner: the file name
// reaches the editor as one argument, and WinShell comes back when the editor
// ends while the event loop goes on meanwhile.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/transfer/editors.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_processes.h"

namespace qvt::gui {
namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A stand-in editor in <dir>/bin: writes its arguments one a line to
// <dir>/args, then stays until <dir>/go exists (giving up after five seconds,
// so a wait that never lets the test's timer fire fails instead of hanging).
std::filesystem::path write_editor(const std::filesystem::path& dir) {
    std::filesystem::create_directory(dir / "bin");
    const auto editor = dir / "bin" / "editor";
    std::ofstream(editor) << "#!/bin/sh\n"
                             "dir=\"$(dirname \"$0\")/..\"\n"
                             "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/args\"\n"
                             "i=0\n"
                             "while [ ! -e \"$dir/go\" ] && [ $i -lt 500 ]; do\n"
                             "  sleep 0.01; i=$((i+1))\n"
                             "done\n";
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    return editor;
}

TEST(ProgramStarter, WinShellPassesTheFileWholeAndReturnsWhenTheEditorEnds) {
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.path().toStdString();
    write_editor(dir);
    QtEventPump pump;
    QtProcesses processes;
    transfer::ProgramStarter starter(&processes, pump, dir.string());
    auto timer = pump.create_timer();
    bool fired = false;
    timer->set_callback([&] {
        fired = true;
        std::ofstream(dir / "go") << "";
    });
    timer->start(50, false);
    const std::string file = (dir / "my \"odd\" file's  name.P2K").string();

    starter.WinShell("\\bin\\editor", file);

    EXPECT_TRUE(fired);
    EXPECT_EQ(read_file(dir / "args"), file + "\n");
    EXPECT_FALSE(timer->active());

    // A program that cannot be started is not waited for.
    starter.WinShell((dir / "missing").string(), file);
}

}  // namespace
}  // namespace qvt::gui
