// kvbsim as a process: its pty answers commands (with the controller options
// given on its command line), --com registers the port, --usb-kvb
// makes discovery list it as the controller's own interface, and a hang-up
// takes the port away.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/startup/usbrs_search.h"
#include "posix/sysfs_discovery.h"

namespace {

using Clock = std::chrono::steady_clock;

// Reads from fd until `done` holds for what was read or the deadline passes.
template <typename Done>
std::string read_until(int fd, Clock::time_point deadline, Done done) {
    std::string got;
    while (!done(got)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

// Starts kvbsim with args (and QVTW2K_HOME when home is not empty); its
// standard output is the returned pipe end. pid is -1 when the fork failed.
struct Started {
    pid_t pid = -1;
    int out = -1;
};

Started start_kvbsim(const std::vector<const char*>& args, const std::filesystem::path& home = {}) {
    int out[2];
    if (::pipe(out) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        if (!home.empty()) ::setenv("QVTW2K_HOME", home.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>("kvbsim")};
        for (const char* a : args)
            argv.push_back(const_cast<char*>(a));
        argv.push_back(nullptr);
        ::execv(KVBSIM_PATH, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (pid < 0) {
        ::close(out[0]);
        return {};
    }
    return {pid, out[0]};
}

// The pty path kvbsim prints on its first line, or empty.
std::string printed_path(const Started& kvbsim, Clock::time_point deadline) {
    std::string line = read_until(kvbsim.out, deadline, [](const std::string& s) {
        return s.find('\n') != std::string::npos;
    });
    if (line.empty() || line.back() != '\n') return {};
    line.pop_back();
    return line;
}

TEST(KvbsimPty, AnswersCommandsAndRegistersItsPort) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("kvbsim_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    const Started kvbsim =
        start_kvbsim({"--com", "9", "--version", "3.10", "--input-bank", "24=5"}, home);
    ASSERT_GE(kvbsim.pid, 0);
    const pid_t pid = kvbsim.pid;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    const std::string path = printed_path(kvbsim, deadline);
    ASSERT_FALSE(path.empty());
    const auto link = home / "ports" / "COM9";
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "VER\r", 4), 4);
    const std::string reply = read_until(
        fd, deadline, [](const std::string& s) { return s.find("\r\n#") != std::string::npos; });
    EXPECT_EQ(reply, "VER\r\nKVB-68K Motion Controller Simulator  REV-3.10\r\n#");
    ASSERT_EQ(::write(fd, "PRINT IN(24)\r", 13), 13);
    EXPECT_EQ(read_until(fd, deadline,
                         [](const std::string& s) { return s.find("\r\n#") != std::string::npos; }),
              "PRINT IN(24)\r\n5\r\n#");
    ::close(fd);

    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    ::close(kvbsim.out);
    std::filesystem::remove_all(home);
}

// A port table with nothing but discovery, over an empty sysfs.
class DiscoveryOnly : public qvt::platform::PortTable {
  public:
    explicit DiscoveryOnly(const std::filesystem::path& home)
        : discovery_(home / "sys", home / "dev", home / "ports") {}
    std::optional<std::string> device_of(int) const override { return std::nullopt; }
    std::vector<qvt::platform::PortEntry> ports() const override { return {}; }
    std::vector<qvt::platform::NamedPort> serial_comm_table() const override {
        return discovery_.serial_comm_table();
    }
    std::vector<qvt::platform::NamedPort> usb_serial_devices() const override {
        return discovery_.usb_serial_devices();
    }

  private:
    qvt::sysfs::SysfsDiscovery discovery_;
};

TEST(KvbsimPty, StandsForTheControllersUsbInterfaceUntilItHangsUp) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("kvbsim_usb_" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home / "ports");
    // What a killed adapter run left behind is replaced.
    std::ofstream(home / "ports" / "COM6.usb") << "VID_0403+PID_6001+AC999\n";
    const Started kvbsim = start_kvbsim({"--com", "6", "--usb-kvb"}, home);
    ASSERT_GE(kvbsim.pid, 0);
    const pid_t pid = kvbsim.pid;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    const std::string path = printed_path(kvbsim, deadline);
    ASSERT_FALSE(path.empty());

    DiscoveryOnly table(home);
    const auto search = qvt::startup::USBRS_Search(table);
    EXPECT_EQ(search.entries, std::vector<std::string>{"COM6    KVB-410USB"});
    EXPECT_TRUE(search.found);
    EXPECT_EQ(qvt::startup::CheckVCP(table, "6"), std::nullopt);

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ::kill(pid, SIGUSR1);
    // The client sees the line end (end of file or an error), not silence.
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 10000), 1);
    EXPECT_NE(p.revents & (POLLHUP | POLLERR | POLLIN), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(path));  // the pty is gone although fd holds it
    EXPECT_FALSE(std::filesystem::exists(home / "ports" / "COM6.usb"));
    EXPECT_NE(qvt::startup::CheckVCP(table, "6"), std::nullopt);
    EXPECT_EQ(qvt::startup::USBRS_Search(table).entries, std::vector<std::string>{"none"});
    ::close(fd);
    ::close(kvbsim.out);
    std::filesystem::remove_all(home);
}

}  // namespace
