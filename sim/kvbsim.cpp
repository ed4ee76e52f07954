// kvbsim: the simulated controller served on a pseudo-terminal.
//
// It prints the slave's device path on stdout (one line), optionally registers
// it as COM<n> in the ports folder, and then loops: poll() on the master and
// on a signalfd, with the time-out the controller asks for (next_due_ms), so
// an idle simulator sleeps. Bytes read from the master are fed to the
// controller; what it says is written back. SIGINT and SIGTERM end it
// cleanly (the port entry is removed); SIGUSR1 makes the controller hang up,
// after which the master is closed and kvbsim exits. --usb-kvb and --usb-rs
// give the registered port the USB identity of the controller's own interface
// or of a USB-RS adapter, so that the launcher's USB-RS search lists it.
// The controller's options (faults, the point listing's page length, a
// counting input bank, input values) come from the command line too.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/controller.h"
#include "sim/io_space.h"
#include "sim/pty.h"

namespace {

using kvb::sim::Controller;
using kvb::sim::Options;

// Bytes kvbsim holds for a client that does not read; beyond it the controller waits.
constexpr std::size_t kMaxPending = 4096;

constexpr const char* kUsage =
    "usage: kvbsim [options]\n"
    "Serves the simulated KVB controller on a pseudo-terminal and prints its path.\n"
    "  --com N                register as COM<N> in the ports folder\n"
    "  --usb-kvb [SERIAL]     with --com: appear as the controller's own USB\n"
    "                         interface (VID_3B7C+PID_6003, serial KV000001)\n"
    "  --usb-rs [SERIAL]      with --com: appear as a USB-RS adapter\n"
    "                         (VID_0403+PID_6001, serial AC000001)\n"
    "  --reply-delay MS       pause before each reply\n"
    "  --baud N               pace output at N baud (10 bits a byte)\n"
    "  --drop-prompt          never send the prompt\n"
    "  --hung                 take every byte and answer nothing (a hung controller)\n"
    "  --drop-prompt-every N  drop every N-th prompt\n"
    "  --garbage-every N      insert a garbage byte after every N bytes\n"
    "  --hang-up-after N      hang up after N bytes sent\n"
    "  --program-area BYTES   size of the program area\n"
    "  --version V            revision printed by VER (default 2.05)\n"
    "  --seed N               seed of the garbage bytes\n"
    "  --page-lines N         PLS pauses with \"?\" every N lines (default 20, 0: never)\n"
    "  --count-bank B         IO bank B counts up by itself (moving lamps)\n"
    "  --count-ms MS          one count every MS of time (default 100)\n"
    "  --input-bank B=V       IO bank B starts with the value V (0-255); repeatable\n"
    "  --help                 this text\n"
    "Signals: SIGINT/SIGTERM quit, SIGUSR1 hangs up the line.\n";

struct Args {
    Options options;
    std::optional<int> com;
    std::string usb_identity;                // "VID_xxxx+PID_xxxx+serial", or empty
    std::vector<std::pair<int, int>> banks;  // --input-bank values
    bool hung = false;                       // the controller never answers
};

constexpr const char* kUsbKvb = "VID_3B7C+PID_6003+";
constexpr const char* kUsbRs = "VID_0403+PID_6001+";

int to_int(const char* flag, const char* text) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > 1000000000) {
        throw std::invalid_argument(std::string("bad value for ") + flag + ": " + text);
    }
    return static_cast<int>(v);
}

// A bank number (memory-IO banks are negative) that exists.
int to_bank(const char* flag, std::string_view text) {
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || s.empty() || *end != '\0' || v < -100000 || v > 100000 ||
        !kvb::sim::IoSpace::valid_bank(static_cast<int>(v))) {
        throw std::invalid_argument(std::string("bad bank for ") + flag + ": " + s);
    }
    return static_cast<int>(v);
}

// Returns nothing when --help was given.
std::optional<Args> parse(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") return std::nullopt;
        if (flag == "--hung") {
            a.hung = true;
            continue;
        }
        if (flag == "--drop-prompt") {
            a.options.drop_prompt = true;
            continue;
        }
        if (flag == "--usb-kvb" || flag == "--usb-rs") {
            const bool kvb = flag == "--usb-kvb";
            std::string serial = kvb ? "KV000001" : "AC000001";
            if (i + 1 < argc && argv[i + 1][0] != '-') serial = argv[++i];
            if (serial.find_first_of("+ \t\r\n") != std::string::npos) {
                throw std::invalid_argument("bad serial number: " + serial);
            }
            a.usb_identity = (kvb ? kUsbKvb : kUsbRs) + serial;
            continue;
        }
        if (i + 1 >= argc) throw std::invalid_argument("missing value for " + std::string(flag));
        const char* value = argv[++i];
        if (flag == "--com") {
            a.com = to_int(argv[i - 1], value);
        } else if (flag == "--reply-delay") {
            a.options.reply_delay_ms = to_int(argv[i - 1], value);
        } else if (flag == "--baud") {
            a.options.baud = to_int(argv[i - 1], value);
        } else if (flag == "--drop-prompt-every") {
            a.options.drop_prompt_every = to_int(argv[i - 1], value);
        } else if (flag == "--garbage-every") {
            a.options.garbage_every = to_int(argv[i - 1], value);
        } else if (flag == "--hang-up-after") {
            a.options.hang_up_after_bytes = to_int(argv[i - 1], value);
        } else if (flag == "--program-area") {
            a.options.program_area_bytes = to_int(argv[i - 1], value);
        } else if (flag == "--version") {
            a.options.version = value;
        } else if (flag == "--seed") {
            a.options.seed = static_cast<std::uint32_t>(to_int(argv[i - 1], value));
        } else if (flag == "--page-lines") {
            a.options.page_lines = to_int(argv[i - 1], value);
        } else if (flag == "--count-bank") {
            a.options.counting_bank = to_bank(argv[i - 1], value);
        } else if (flag == "--count-ms") {
            a.options.count_interval_ms = std::max(1, to_int(argv[i - 1], value));
        } else if (flag == "--input-bank") {
            const std::string_view v = value;
            const std::size_t eq = v.find('=');
            if (eq == std::string_view::npos) {
                throw std::invalid_argument("--input-bank wants BANK=VALUE: " + std::string(v));
            }
            const int bank = to_bank(argv[i - 1], v.substr(0, eq));
            const int byte = to_int(argv[i - 1], std::string(v.substr(eq + 1)).c_str());
            if (byte > 255)
                throw std::invalid_argument("bad value for --input-bank: " + std::string(v));
            a.banks.emplace_back(bank, byte);
        } else {
            throw std::invalid_argument("unknown option " + std::string(flag));
        }
    }
    if (!a.usb_identity.empty() && !a.com) {
        throw std::invalid_argument("--usb-kvb and --usb-rs need --com");
    }
    return a;
}

std::int64_t now_ms(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// Writes as much of pending as the master takes now; false when the line is gone.
bool flush(int fd, std::string& pending) {
    while (!pending.empty()) {
        const ssize_t n = ::write(fd, pending.data(), pending.size());
        if (n > 0) {
            pending.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        } else {
            return false;
        }
    }
    return true;
}

int serve(const Args& args) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) throw std::runtime_error("sigprocmask");
    const int sig_fd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (sig_fd < 0) throw std::runtime_error("signalfd");

    kvb::sim::Pty pty;
    std::unique_ptr<kvb::sim::PortLink> link;
    if (args.com) {
        link = std::make_unique<kvb::sim::PortLink>(*args.com, pty.slave_path(), args.usb_identity);
    }
    std::printf("%s\n", pty.slave_path().c_str());
    std::fflush(stdout);

    Controller controller(args.options);
    for (const auto& [bank, value] : args.banks)
        controller.set_bank(bank, value);
    const auto start = std::chrono::steady_clock::now();
    std::string pending;
    char buf[4096];
    for (;;) {
        std::int64_t now = now_ms(start);
        int timeout = -1;
        const bool line_full =
            pending.size() >= kMaxPending;  // wait for POLLOUT, not for the clock
        if (const auto due = controller.next_due_ms(); due && !line_full) {
            timeout = static_cast<int>(
                std::max<std::int64_t>(0, std::min<std::int64_t>(*due - now, 60000)));
        }
        pollfd fds[2] = {
            {pty.master(), static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0},
            {sig_fd, POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR) throw std::runtime_error("poll");
        now = now_ms(start);
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(sig_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo != SIGUSR1) break;
                controller.hang_up();
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(pty.master(), buf, sizeof buf);
            if (n > 0 && !args.hung)
                controller.feed(std::string_view(buf, static_cast<std::size_t>(n)), now);
        }
        if (pending.size() < kMaxPending) pending += controller.read(now);
        const bool line_ok = flush(pty.master(), pending);
        if (controller.hung_up() || !line_ok) {
            pty.close_master();
            break;
        }
    }
    ::close(sig_fd);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto args = parse(argc, argv);
        if (!args) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        return serve(*args);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "kvbsim: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvbsim: %s\n", e.what());
        return 1;
    }
}
