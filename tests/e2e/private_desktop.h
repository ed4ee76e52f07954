// A private X display, with a window manager or a D-Bus session, for the tests
// of the desktop bridges, so they neither need nor disturb the user's desktop.
// Programs started afterwards inherit them.
#pragma once

#include <stdlib.h>

#include <QProcess>
#include <QStandardPaths>
#include <string>

namespace qvt::test {

class PrivateDesktop {
  public:
    // Nothing is started when `wanted` is false.
    explicit PrivateDesktop(bool window_manager, bool wanted = true) {
        if (!wanted) return;
        for (const char* tool : {"Xvfb", window_manager ? "openbox" : "dbus-daemon"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                why = std::string(tool) + " is not installed";
                return;
            }
        }
        if (!start(xvfb_, "Xvfb",
                   {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"})) {
            return;
        }
        setenv("DISPLAY", (":" + xvfb_.readLine().trimmed()).constData(), 1);
        // The window manager's tests need no bus, the bus's tests no manager.
        if (window_manager) {
            wm_.setProcessChannelMode(QProcess::ForwardedChannels);  // its complaints
            wm_.start(QStringLiteral("openbox"), {});
        } else {
            if (!start(bus_, "dbus-daemon", {"--session", "--nofork", "--print-address=1"})) {
                return;
            }
            setenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed().constData(), 1);
        }
        ok = true;
    }
    ~PrivateDesktop() {
        // Asked to end, so the X server removes its lock and socket.
        for (QProcess* p : {&wm_, &bus_, &xvfb_}) {
            p->terminate();
            if (!p->waitForFinished(5000)) p->kill();
        }
    }
    PrivateDesktop(const PrivateDesktop&) = delete;
    PrivateDesktop& operator=(const PrivateDesktop&) = delete;

    bool ok = false;
    std::string why;

  private:
    // Started and its first line (the display or the bus address) printed.
    bool start(QProcess& process, const char* program, const QStringList& args) {
        process.start(QString::fromLatin1(program), args);
        if (process.waitForReadyRead(10000)) return true;
        why = std::string(program) + " did not start";
        return false;
    }

    QProcess xvfb_, bus_, wm_;
};

}  // namespace qvt::test
