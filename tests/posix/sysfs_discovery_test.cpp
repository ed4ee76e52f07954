#include "posix/sysfs_discovery.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/startup/usbrs_search.h"
#include "tests/core/link/table_ports.h"
#include "tests/support/scratch_dir.h"

namespace qvt::sysfs {
namespace {

namespace fs = std::filesystem;
using platform::NamedPort;

// A fake machine: sys/ laid out like sysfs (relative links, as the kernel
// makes them), dev/ with the nodes, ports/ as the per-user ports folder.
class FakeMachine {
  public:
    FakeMachine() : discovery_(dir_.path() / "sys", dir_.path() / "dev", dir_.path() / "ports") {
        dir_.mkdir("sys/class/tty");
        dir_.mkdir("dev");
        dir_.mkdir("ports");
    }

    // A USB-serial port: tty under an interface of a USB device.
    void usb_tty(const std::string& tty, const std::string& driver, const std::string& vid,
                 const std::string& pid, const std::optional<std::string>& serial) {
        const std::string usb = "devices/pci0000:00/usb1/1-" + std::to_string(++usb_count_);
        dir_.write("sys/" + usb + "/idVendor", vid + "\n");
        dir_.write("sys/" + usb + "/idProduct", pid + "\n");
        if (serial) dir_.write("sys/" + usb + "/serial", *serial + "\n");
        port_device(usb + "/1-1:1.0/" + tty, tty, driver, "usb-serial");
    }
    // A port device with no USB device above it; a UART port has a type.
    void plain_tty(const std::string& tty, const std::string& device, const std::string& driver,
                   const std::optional<std::string>& uart_type = std::nullopt) {
        port_device(device, tty, driver, "platform");
        if (uart_type) dir_.write("sys/" + device + "/tty/" + tty + "/type", *uart_type + "\n");
    }
    void node(const std::string& tty) { dir_.write("dev/" + tty, ""); }
    void port_link(int com, const fs::path& target) {
        dir_.link("ports/COM" + std::to_string(com), target);
    }
    void sidecar(int com, const std::string& text) {
        dir_.write("ports/COM" + std::to_string(com) + ".usb", text);
    }
    const fs::path& root() const { return dir_.path(); }
    const SysfsDiscovery& discovery() const { return discovery_; }
    const test::ScratchDir& dir() const { return dir_; }

  private:
    void port_device(const std::string& device, const std::string& tty, const std::string& driver,
                     const std::string& bus) {
        dir_.mkdir("sys/bus/" + bus + "/drivers/" + driver);
        dir_.mkdir("sys/" + device + "/tty/" + tty);
        const int depth = static_cast<int>(std::count(device.begin(), device.end(), '/')) + 1;
        std::string up;
        for (int i = 0; i < depth; ++i)
            up += "../";
        dir_.link("sys/" + device + "/driver", up + "bus/" + bus + "/drivers/" + driver);
        dir_.link("sys/class/tty/" + tty, "../../" + device + "/tty/" + tty);
        dir_.link("sys/" + device + "/tty/" + tty + "/device", "../..");
        node(tty);
    }

    test::ScratchDir dir_;
    SysfsDiscovery discovery_;
    int usb_count_ = 0;
};

TEST(SysfsDiscovery, NamesPortsByDriverAndNumbersThemByFamily) {
    FakeMachine m;
    m.usb_tty("ttyUSB1", "cp210x", "10c4", "ea60", "0001");
    m.usb_tty("ttyUSB0", "ftdi_sio", "0403", "6001", "AC00abcd");
    m.usb_tty("ttyACM0", "cdc_acm", "3b7c", "6003", std::nullopt);
    // 8250 ports: placeholders have UART type 0 whatever their driver.
    m.plain_tty("ttyS0", "devices/platform/serial8250/serial8250:0.0", "port", "0");
    m.plain_tty("ttyS1", "devices/pnp0/00:05", "serial");
    m.plain_tty("ttyS2", "devices/platform/serial8250/serial8250:0.2", "port", "4");
    m.plain_tty("ttyS3", "devices/platform/serial8250", "serial8250", "0");
    m.plain_tty("ttyS4", "devices/platform/serial8250/tty/ttyS4", "serial8250", "4");
    m.usb_tty("ttyUSB2", "ftdi_sio", "0403", "6015", "FT1");
    m.plain_tty("ttyS32", "devices/pnp0/00:06", "serial");  // past its family's range
    EXPECT_EQ(m.discovery().serial_comm_table(),
              (std::vector<NamedPort>{{"\\Device\\ttyS1", "COM2"},
                                      {"\\Device\\ttyS2", "COM3"},
                                      {"\\Device\\ttyS4", "COM5"},
                                      {"\\Device\\VCP0", "COM33"},
                                      {"\\Device\\ttyUSB1", "COM34"},
                                      {"\\Device\\VCP1", "COM35"},
                                      {"\\Device\\ttyACM0", "COM65"}}));
    EXPECT_EQ(m.discovery().usb_serial_devices(),
              (std::vector<NamedPort>{{"VID_0403+PID_6001+AC00abcd", "COM33"},
                                      {"VID_10C4+PID_EA60+0001", "COM34"},
                                      {"VID_0403+PID_6015+FT1", "COM35"},
                                      {"VID_3B7C+PID_6003+", "COM65"}}));
}

TEST(SysfsDiscovery, PortsWithoutNodeDeviceOrDriverAreLeftOut) {
    FakeMachine m;
    m.usb_tty("ttyUSB0", "ftdi_sio", "0403", "6001", "AC1");
    fs::remove(m.root() / "dev" / "ttyUSB0");           // no node
    m.dir().mkdir("sys/class/tty/ttyS3");               // no device link
    m.dir().mkdir("sys/devices/pnp0/00:06/tty/ttyS4");  // no driver link
    m.dir().link("sys/class/tty/ttyS4", "../../devices/pnp0/00:06/tty/ttyS4");
    m.dir().link("sys/devices/pnp0/00:06/tty/ttyS4/device", "../..");
    m.node("ttyS3");
    m.node("ttyS4");
    m.dir().mkdir("sys/class/tty/tty0");
    m.node("tty0");
    m.sidecar(8, "VID_3B7C+PID_6003+KV000001\n");  // an identity without its link
    EXPECT_TRUE(m.discovery().serial_comm_table().empty());
    EXPECT_TRUE(m.discovery().usb_serial_devices().empty());
}

// A ports-folder entry has the identity its ".usb" file declares, or that of
// the adapter its link leads to (relative links are read from the folder).
// Which identities are the controller's the search's own tests say.
TEST(SysfsDiscovery, PortsFolderEntriesCarryTheirUsbIdentity) {
    FakeMachine m;
    const auto pty = m.dir().write("pts/3", "");
    m.port_link(7, pty);
    m.sidecar(7, "VID_3B7C+PID_6003+KV000001\n");
    m.port_link(8, pty);
    m.port_link(9, m.root() / "pts" / "gone");  // its simulator has exited
    EXPECT_EQ(m.discovery().serial_comm_table(),
              (std::vector<NamedPort>{{"\\Device\\VCP0", "COM7"}, {"\\Device\\LinkCOM8", "COM8"}}));
    EXPECT_EQ(m.discovery().usb_serial_devices(),
              (std::vector<NamedPort>{{"VID_3B7C+PID_6003+KV000001", "COM7"}}));
    m.usb_tty("ttyUSB0", "ftdi_sio", "3b7c", "6003", "KV000042");
    m.usb_tty("ttyUSB1", "ftdi_sio", "0403", "6001", "AC00ABCD");
    m.port_link(5, m.root() / "dev" / "ttyUSB0");
    m.port_link(12, "../dev/ttyUSB1");
    test::TablePorts base;  // discovers nothing itself
    DiscoveringPortTable table(base, m.discovery());
    EXPECT_EQ(
        startup::USBRS_Search(table).entries,
        (std::vector<std::string>{"COM12    USB-RS", "COM5    KVB-410USB", "COM7    KVB-410USB"}));
}

}  // namespace
}  // namespace qvt::sysfs
