// What both link benchmarks need: kvbsim as a child process on a pty, the Qt
// control opened on it with the connection settings, and process CPU time.
#pragma once

#include <sys/resource.h>

#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/link/dialogue.h"
#include "core/link/shared_state.h"
#include "gui/connection.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"
#include "posix/port_table.h"

namespace qvt::bench {

// The Qt control, counting the bytes each way and the writes (one a command).
class CountingControl : public gui::QtTerminalControl {
  public:
    using QtTerminalControl::QtTerminalControl;
    std::string Input() override {
        std::string got = QtTerminalControl::Input();
        received += got.size();
        return got;
    }
    void set_Output(const std::string& bytes) override {
        sent += bytes.size();
        ++commands;
        QtTerminalControl::set_Output(bytes);
    }
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    std::uint64_t commands = 0;
};

inline double cpu_ms() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) * 1000.0 + static_cast<double>(tv.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Starts kvbsim with the given options and returns its pty path, or empty on
// failure.
inline std::string start_kvbsim(QProcess& process, const QTemporaryDir& home,
                                const QStringList& args = {}) {
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QVTW2K_HOME"), home.path());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(QVT_KVBSIM_PATH), args);
    if (!process.waitForStarted(5000)) return {};
    while (process.waitForReadyRead(5000) || process.canReadLine()) {
        if (!process.canReadLine()) continue;
        const QByteArray line = process.readLine().trimmed();
        const auto at = line.indexOf("/dev/");
        if (at >= 0) return line.mid(at).split(' ').front().toStdString();
    }
    return {};
}

inline bool open_on(gui::QtTerminalControl& term, link::SharedState& state,
                    const std::string& device) {
    try {
        gui::open_controller_port(term, state, {0, device, 38400});
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot open %s: %s\n", device.c_str(), e.what());
        return false;
    }
}

// kvbsim on its pty with the Qt control open on it, the real event pump and
// the dialogue, the line exercised once so that it is quiet afterwards.
struct SimLink {
    SimLink() {
        const std::string pty = start_kvbsim(sim, home);
        if (pty.empty()) {
            std::fprintf(stderr, "kvbsim did not start\n");
            return;
        }
        if (!open_on(term, state, pty)) return;
        std::string reply;
        dialogue.CommOut("VER", reply);
        ready = true;
    }
    ~SimLink() {
        sim.terminate();
        sim.waitForFinished(3000);
    }
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    QTemporaryDir home;
    QProcess sim;
    posix::PosixPortTable ports;
    gui::QtTerminalControl term{ports};
    link::SharedState state;
    gui::QtEventPump pump;
    link::Dialogue dialogue{state, term, pump};
    bool ready = false;
};

}  // namespace qvt::bench
