// Discovery of serial ports and USB-serial devices from sysfs, for the USB-RS
// search and the port-presence checks.
//
// How it works: every call looks afresh (adapters come and go while the
// program runs) at three places, all constructor parameters so tests can build
// fake trees:
//   <sysfs>/class/tty/<name>   a serial port. Its "device" link leads to the
//                              port's device; that device's "driver" link names
//                              the driver (ftdi_sio, cp210x, pl2303, cdc_acm,
//                              port, ...). Walking up from the device, the
//                              first folder holding idVendor and idProduct is
//                              the USB device, whose "serial" file (optional)
//                              holds the serial number. A UART port has a
//                              "type" file: its UART type, 0 when unknown.
//   <dev>/<name>               the device node; a port whose node is missing
//                              is not listed (a container may see the host's
//                              sysfs without its devices).
//   <ports folder>/COMn        a symbolic link naming the device of COM n; a
//                              link whose target is gone is ignored.
//   <ports folder>/COMn.usb    optional sidecar: a text file whose first line,
//                              e.g. "VID_3B7C+PID_6003+KV000001", declares the
//                              USB identity of the port COMn (so the simulator
//                              can stand for the controller's own interface).
//
// Only ttyS<k>, ttyUSB<k> and ttyACM<k> are serial ports, numbered COM k+1,
// k+33 and k+65. The 8250 driver registers placeholder ttyS ports whether or not
// hardware exists; those are left out, told by their UART type 0. The driver
// does not tell them: current kernels bind every 8250 port, real or not, to the
// driver "port", older ones bound placeholders and real legacy ports alike to
// "serial8250". A ports-folder link wins: a device named by a link is listed
// under the link's number only, and a link's number replaces any device that
// had it by the rules above.
//
// Device names of the serial-port table (sorted by COM number):
//   "\Device\VCP<i>"    ports of the FTDI driver and ports-folder entries that
//                       declare a USB identity, i = 0, 1, ... in COM order;
//   "\Device\<tty>"     other sysfs ports, e.g. "\Device\ttyACM0";
//   "\Device\LinkCOMn"  other ports-folder entries (a pseudo-terminal, say).
// USB-serial devices are listed as ("VID_%04X+PID_%04X+" + serial, "COMn") for
// every port with a USB identity, the sidecar's identity winning over sysfs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/port_table.h"

namespace qvt::sysfs {

// One serial port as discovery sees it.
struct DiscoveredPort {
    int com = 0;
    std::string device;                 // device path (node or link target)
    std::string driver;                 // driver name; empty for a link to a non-sysfs device
    std::string tty;                    // tty name under sysfs; empty when none
    std::optional<std::string> usb_id;  // "VID_xxxx+PID_xxxx+serial"
    bool vcp = false;                   // presented as an FTDI virtual COM port
};

// "ttyUSB0" -> 33; nothing for names outside the three families.
std::optional<int> com_of_tty(const std::string& name);
// "VID_0403+PID_6001+" + serial from the hex texts of idVendor and idProduct.
std::optional<std::string> usb_instance_name(const std::string& id_vendor,
                                             const std::string& id_product,
                                             const std::string& serial);

class SysfsDiscovery {
  public:
    SysfsDiscovery(std::filesystem::path sysfs_root, std::filesystem::path dev_root,
                   std::filesystem::path ports_folder);

    std::vector<DiscoveredPort> discover() const;
    std::vector<platform::NamedPort> serial_comm_table() const;
    std::vector<platform::NamedPort> usb_serial_devices() const;

  private:
    std::vector<DiscoveredPort> sysfs_ports() const;

    std::filesystem::path sysfs_root_;
    std::filesystem::path dev_root_;
    std::filesystem::path ports_folder_;
};

// A port table that answers device_of/ports from `base` and the discovery
// tables from `discovery`; both must outlive it.
class DiscoveringPortTable : public platform::PortTable {
  public:
    DiscoveringPortTable(const platform::PortTable& base, const SysfsDiscovery& discovery)
        : base_(base), discovery_(discovery) {}

    std::optional<std::string> device_of(int com) const override { return base_.device_of(com); }
    std::vector<platform::PortEntry> ports() const override { return base_.ports(); }
    std::vector<platform::NamedPort> serial_comm_table() const override {
        return discovery_.serial_comm_table();
    }
    std::vector<platform::NamedPort> usb_serial_devices() const override {
        return discovery_.usb_serial_devices();
    }

  private:
    const platform::PortTable& base_;
    const SysfsDiscovery& discovery_;
};

}  // namespace qvt::sysfs
