// Real peers for the end-to-end tests: a pty whose master end the test holds,
// the simulated controller as a child process, and process CPU time.
#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <string>

namespace qvt::test {

// Milliseconds of CPU (user + system) this process has used so far, or the
// children it has waited for.
double cpu_ms(bool waited_children = false);
// The same for a running child, from /proc (10 ms steps); -1 when it is gone.
double child_cpu_ms(qint64 pid);
// True when process pid has path open (one of its descriptors names it).
bool has_open(qint64 pid, const std::string& path);

// A pseudo-terminal: the code under test opens slave_path(), the test talks
// through the master end.
class PtyPeer {
  public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& slave_path() const { return slave_path_; }
    void write(const std::string& bytes);
    // Reads until needle was seen or timeout_ms passed (blocking in poll);
    // returns everything read.
    std::string read_until(const std::string& needle, int timeout_ms);
    void close();

  private:
    int master_ = -1;
    int slave_keepalive_ = -1;  // keeps the line up until the code under test opens it
    std::string slave_path_;
};

// kvbsim as a child process with its own per-user folder.
class SimProcess {
  public:
    // Starts kvbsim with args; returns false when it printed no pty path.
    bool start(const QStringList& args = {}, int timeout_ms = 5000);
    const std::string& pty() const { return pty_; }
    const QString& home() const { return home_path_; }
    qint64 pid() const { return process_.processId(); }
    void kill();
    ~SimProcess();

  private:
    QTemporaryDir home_;
    QString home_path_;
    QProcess process_;
    std::string pty_;
};

}  // namespace qvt::test
