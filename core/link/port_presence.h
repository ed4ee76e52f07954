// Whether the open port is still there, asked of the port table.
//
// How it works: the port table lists every serial device with its COM name;
// a USB-serial adapter that is unplugged (or a simulator that ends) drops out
// of it. A port chosen from the USB-RS list counts only as a "VCP" device of
// the FTDI driver; a port typed as Other COM Port counts as any device.
#pragma once

#include <optional>
#include <string>

#include "core/platform/port_table.h"

namespace qvt::link {

// Nothing when COM `com_port` (the number as text) is still present, else the
// message to show before the program ends.
// CheckVCP: a port chosen from the USB-RS list; only "VCP" devices count.
// CheckVCP1: a port typed as Other COM Port; every device counts.
std::optional<std::string> CheckVCP(const platform::PortTable& table, const std::string& com_port);
std::optional<std::string> CheckVCP1(const platform::PortTable& table, const std::string& com_port);

}  // namespace qvt::link
