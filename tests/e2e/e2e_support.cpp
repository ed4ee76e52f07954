#include "tests/e2e/e2e_support.h"

#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qvt::test {

double cpu_ms(bool waited_children) {
    rusage usage{};
    getrusage(waited_children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
    auto ms = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) * 1000.0 + static_cast<double>(tv.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double child_cpu_ms(qint64 pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return -1;
    // The command name in parentheses may hold blanks; the fields after it
    // are plain: state is the 3rd field, utime and stime the 14th and 15th.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i >= 14) ticks += std::stod(field);
    }
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool has_open(qint64 pid, const std::string& path) {
    std::error_code ec;
    const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
    // The process may end while we look: every step takes an error code.
    for (std::filesystem::directory_iterator it(fds, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code link_ec;
        if (std::filesystem::read_symlink(it->path(), link_ec) == path) return true;
    }
    return false;
}

PtyPeer::PtyPeer() {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave_keepalive_, name, &raw, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    slave_path_ = name;
}

PtyPeer::~PtyPeer() {
    close();
    if (slave_keepalive_ >= 0) ::close(slave_keepalive_);
}

void PtyPeer::write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) throw std::runtime_error("write to pty failed");
        done += static_cast<std::size_t>(n);
    }
}

std::string PtyPeer::read_until(const std::string& needle, int timeout_ms) {
    std::string got;
    QElapsedTimer clock;
    clock.start();
    while (got.find(needle) == std::string::npos) {
        const auto left = timeout_ms - clock.elapsed();
        if (left <= 0) break;
        pollfd pfd{master_, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left)) <= 0) break;
        char buf[4096];
        const auto n = ::read(master_, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

void PtyPeer::close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    // With the master gone the slave is hung up; our own slave handle must go
    // too, or the line would stay half alive.
    if (slave_keepalive_ >= 0) ::close(slave_keepalive_);
    slave_keepalive_ = -1;
}

bool SimProcess::start(const QStringList& args, int timeout_ms) {
    if (!home_.isValid()) return false;
    home_path_ = home_.path();
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QVTW2K_HOME"), home_path_);
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(QVT_KVBSIM_PATH), args);
    if (!process_.waitForStarted(timeout_ms)) return false;
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (clock.elapsed() < timeout_ms) {
        if (process_.canReadLine()) {
            const QByteArray line = process_.readLine().trimmed();
            const auto at = line.indexOf("/dev/");
            if (at >= 0) {
                pty_ = line.mid(at).split(' ').front().toStdString();
                return true;
            }
            continue;
        }
        if (process_.state() == QProcess::NotRunning) return false;
        process_.waitForReadyRead(static_cast<int>(timeout_ms - clock.elapsed()));
    }
    return false;
}

void SimProcess::kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(3000);
}

SimProcess::~SimProcess() {
    kill();
}

}  // namespace qvt::test
