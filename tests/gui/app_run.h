// The whole program in-process for the GUI tests: a per-user folder with its
// ports folder, and an App on scripted message boxes started on it.
#pragma once

#include <stdlib.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gui/app.h"
#include "gui/main_window.h"
#include "tests/support/scripted_dialogs.h"

namespace qvt::test {

// A per-user folder for one test, set as QVTW2K_HOME while the test runs.
struct Home {
    Home() {
        setenv("QVTW2K_HOME", dir.path().toLocal8Bit().constData(), 1);
        std::filesystem::create_directories(path() / "ports");
    }
    ~Home() { unsetenv("QVTW2K_HOME"); }
    std::filesystem::path path() const { return dir.path().toStdString(); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path() / name, std::ios::binary) << bytes;
    }
    // COM n names the pty.
    void link_port(int com, const std::string& device) const {
        std::filesystem::create_symlink(device, path() / "ports" / ("COM" + std::to_string(com)));
    }
    QTemporaryDir dir;
};

struct AppRun {
    explicit AppRun(const Home& home) {
        options.executable = home.path() / "bin" / "qvtw2k";
        options.dialogs = &dialogs;
        options.listen_for_requests = false;
        app = std::make_unique<gui::App>(options);
        app->start();
    }
    gui::MainWindow& main() { return app->main_window(); }

    ScriptedDialogs dialogs;
    gui::AppOptions options;
    std::unique_ptr<gui::App> app;
};

}  // namespace qvt::test
