#include "sim/pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace kvb::sim {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

Pty::Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) fail("posix_openpt");
    if (grantpt(master_) != 0) fail("grantpt");
    if (unlockpt(master_) != 0) fail("unlockpt");
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) fail("ptsname_r");
    slave_path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) fail("open slave");
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0) fail("tcgetattr");
    cfmakeraw(&tio);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0) fail("tcsetattr");
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) fail("fcntl");
}

Pty::~Pty() {
    close_master();
    if (slave_ >= 0) ::close(slave_);
}

void Pty::close_master() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

std::string PortLink::ports_folder() {
    if (const char* home = std::getenv("QVTW2K_HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/ports";
    }
    const char* user_home = std::getenv("HOME");
    return std::string(user_home != nullptr ? user_home : ".") + "/.config/qvtw2k/ports";
}

PortLink::PortLink(int com_number, const std::string& target, const std::string& usb_identity) {
    const std::string folder = ports_folder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw std::runtime_error("cannot create " + folder + ": " + ec.message());
    path_ = folder + "/COM" + std::to_string(com_number);
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path_))) {
        std::filesystem::remove(path_, ec);
    }
    sidecar_path_ = path_ + ".usb";
    std::filesystem::remove(sidecar_path_, ec);
    if (!usb_identity.empty()) {
        std::ofstream out(sidecar_path_, std::ios::binary | std::ios::trunc);
        out << usb_identity << '\n';
        if (!out.flush()) throw std::runtime_error("cannot write " + sidecar_path_);
    }
    std::filesystem::create_symlink(target, path_, ec);
    if (ec) throw std::runtime_error("cannot create " + path_ + ": " + ec.message());
}

PortLink::~PortLink() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    std::filesystem::remove(sidecar_path_, ec);
}

}  // namespace kvb::sim
