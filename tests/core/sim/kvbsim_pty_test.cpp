// kvbsim as a process: its pty answers VER, and --com registers the port.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

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

TEST(KvbsimPty, AnswersVerAndRegistersItsPort) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("kvbsim_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::setenv("QVTW2K_HOME", home.c_str(), 1);
        ::execl(KVBSIM_PATH, "kvbsim", "--com", "9", "--version", "3.10",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    std::string path = read_until(
        out[0], deadline, [](const std::string& s) { return s.find('\n') != std::string::npos; });
    ASSERT_FALSE(path.empty());
    path.pop_back();
    const auto link = home / "ports" / "COM9";
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "VER\r", 4), 4);
    const std::string reply = read_until(
        fd, deadline, [](const std::string& s) { return s.find("\r\n#") != std::string::npos; });
    EXPECT_EQ(reply, "VER\r\nKVB-68K Motion Controller Simulator  REV-3.10\r\n#");
    ::close(fd);

    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    ::close(out[0]);
    std::filesystem::remove_all(home);
}

TEST(KvbsimPty, HangsUpOnSigusr1) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(KVBSIM_PATH, "kvbsim", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    const std::string path = read_until(
        out[0], deadline, [](const std::string& s) { return s.find('\n') != std::string::npos; });
    ASSERT_FALSE(path.empty());
    ::kill(pid, SIGUSR1);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ::close(out[0]);
}

}  // namespace
