// The USB-RS search: which serial ports are the controller's own USB interface
// or a USB-RS adapter, labelled for the launcher's list.
//
// How it works: two tables of the port table are joined. The serial-port
// table gives (device name, "COMn"); only devices whose name contains "VCP"
// (ports of the FTDI driver) are candidates. The USB-serial device table gives
// (instance name "VID_xxxx+PID_xxxx+serial", "COMn"); only the controller's
// interface (VID_3B7C+PID_6003) and the adapter (VID_0403+PID_6001) count. A
// candidate port that such a device drives becomes an entry: the port name
// followed by "    KVB-410USB" when the serial number starts the controller's
// way ("+KV") and "    USB-RS" for an adapter ("+AC"). The entries are sorted
// as the launcher's sorted list shows them; when nothing matched the list is
// the single entry "none". The USB table is not even looked at when no
// candidate port exists.
//
// The same module holds the port-presence checks of the open connection: the
// port is present while the serial-port table still lists it (only "VCP"
// devices count when it came from the USB-RS list).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/link/port_presence.h"
#include "core/platform/port_table.h"

namespace qvt::startup {

inline constexpr const char* kNoPortEntry = "none";
inline constexpr const char* kControllerLabel = "    KVB-410USB";
inline constexpr const char* kAdapterLabel = "    USB-RS";

struct UsbrsSearchResult {
    std::vector<std::string> serial_names;  // every device name of the serial-port table
    std::vector<std::string> vcp_ports;     // port names of the "VCP" devices
    std::vector<std::string> usb_devices;   // every USB-serial instance name (only when searched)
    std::vector<std::string> entries;       // sorted result entries, or the single "none"
    bool found = false;                     // a port was found: select the first entry
};

UsbrsSearchResult USBRS_Search(const platform::PortTable& table);

// The launcher's list order (a sorted list box: text order, ASCII case ignored).
void sort_like_list_box(std::vector<std::string>& entries);

// The system-loader chooser: the port number is the 4th and 5th characters of
// the entry, trimmed ("COM5    USB-RS" -> "5", "COM12  " -> "12").
std::string chooser_port(const std::string& entry);

// The port-presence checks belong to the link; the start-up code asks them too.
using link::CheckVCP;
using link::CheckVCP1;

}  // namespace qvt::startup
