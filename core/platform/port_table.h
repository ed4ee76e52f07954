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
};

}  // namespace qvt::platform
