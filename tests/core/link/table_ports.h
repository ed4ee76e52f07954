// A port table whose discovery tables a test sets; it counts the reads of
// the USB table, which the search makes only when a VCP port is listed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform/port_table.h"

namespace qvt::test {

class TablePorts : public platform::PortTable {
  public:
    std::optional<std::string> device_of(int) const override { return std::nullopt; }
    std::vector<platform::PortEntry> ports() const override { return {}; }
    std::vector<platform::NamedPort> serial_comm_table() const override { return serial; }
    std::vector<platform::NamedPort> usb_serial_devices() const override {
        ++usb_reads;
        return usb;
    }

    std::vector<platform::NamedPort> serial, usb;
    mutable int usb_reads = 0;
};

}  // namespace qvt::test
