// The port table: which device stands behind COM port number n.
//
// How it works: the system speaks of serial ports by COM number, as the
// controller's users do. On POSIX the mapping is:
//   1. a link named COMn in the ports/ subfolder of the per-user folder makes
//      COM n that link's target, and wins over everything below;
//   2. /dev/ttyS<k> is COM k+1, /dev/ttyUSB<k> COM k+33, /dev/ttyACM<k> COM k+65.
// The per-user folder is $QVTW2K_HOME, or ~/.config/qvtw2k when it is unset.
// The simulated controller registers itself by creating such a link.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvt::platform {

// A (name, port) pair of the discovery tables, e.g. ("VCP0", "COM5") or
// ("VID_0403+PID_6001+AC012345", "COM12").
struct NamedPort {
    std::string name;
    std::string port;  // "COMn"
    friend bool operator==(const NamedPort&, const NamedPort&) = default;
};

struct PortEntry {
    int com = 0;         // COM number
    std::string device;  // device path, e.g. /dev/ttyUSB0 or /dev/pts/3
};

class PortTable {
  public:
    virtual ~PortTable() = default;
    // The device of COM n, or nothing when no such port is known.
    virtual std::optional<std::string> device_of(int com) const = 0;
    // Every port known now, sorted by COM number.
    virtual std::vector<PortEntry> ports() const = 0;

    // Discovery of USB-serial interfaces. The serial-port table lists every
    // serial port as (device name, "COMn"); a port driven by an FTDI driver has
    // a device name containing "VCP". The USB-serial devices are listed as
    // (instance name "VID_xxxx+PID_xxxx+" + serial number, "COMn"), hex digits
    // in upper case. Implementations without discovery list nothing.
    virtual std::vector<NamedPort> serial_comm_table() const { return {}; }
    virtual std::vector<NamedPort> usb_serial_devices() const { return {}; }
};

}  // namespace qvt::platform
