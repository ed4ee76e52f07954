// A pseudo-terminal pair for kvbsim, and its entry in the ports folder.
//
// The master side is kvbsim's end of the "serial line"; the slave's path is
// what a terminal program opens. The slave is put in raw mode (no echo, no
// line editing, no CR/LF translation) so bytes pass unchanged in both
// directions, and kvbsim keeps a slave descriptor of its own open: without
// it, the master would read EIO (and poll POLLHUP) whenever the client closes
// the port, and a client reopening it would find the line dead.
//
// PortLink makes the line findable as a COM port: a symlink named "COM<n>" in
// the ports folder ($QVTW2K_HOME/ports, or ~/.config/qvtw2k/ports), pointing
// at the slave path, removed again by its destructor. With a USB identity it
// also writes the sidecar "COM<n>.usb" beside the link, whose first line
// ("VID_3B7C+PID_6003+KV000001") makes port discovery take the line for that
// USB-serial device; a sidecar left by an earlier run is removed either way.
#pragma once

#include <string>

namespace kvb::sim {

class Pty {
  public:
    // Opens the pair; throws std::runtime_error with the failing call's reason.
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int master() const { return master_; }
    const std::string& slave_path() const { return slave_path_; }
    // Closes the master: the client sees the line hang up.
    void close_master();

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
};

class PortLink {
  public:
    // Creates the folder as needed and the symlink (replacing a stale one),
    // and the sidecar when usb_identity is not empty.
    PortLink(int com_number, const std::string& target, const std::string& usb_identity = {});
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::string& path() const { return path_; }
    const std::string& sidecar_path() const { return sidecar_path_; }
    static std::string ports_folder();

  private:
    std::string path_;
    std::string sidecar_path_;
};

}  // namespace kvb::sim
