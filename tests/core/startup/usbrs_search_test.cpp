#include "core/startup/usbrs_search.h"

#include <gtest/gtest.h>

namespace qvt::startup {
namespace {

using platform::NamedPort;

class FakeTable : public platform::PortTable {
  public:
    std::vector<NamedPort> serial;
    std::vector<NamedPort> usb;
    mutable int usb_calls = 0;

    std::optional<std::string> device_of(int) const override { return std::nullopt; }
    std::vector<platform::PortEntry> ports() const override { return {}; }
    std::vector<NamedPort> serial_comm_table() const override { return serial; }
    std::vector<NamedPort> usb_serial_devices() const override {
        ++usb_calls;
        return usb;
    }
};

// A port is listed when the serial table names it a VCP port and a USB device
// of a known vendor and product sits on it; the USB table is read only then.
// (No port, sorting, foreign devices and ports without their device are cases
// of the discovery tests, which run this search on a machine's tree.)
TEST(Search, LabelsAndSortsThePorts) {
    const struct {
        const char* name;
        std::vector<NamedPort> serial;
        std::vector<NamedPort> usb;
        std::vector<std::string> entries;
    } cases[] = {
        {"NoVcpPort",
         {{"\\Device\\Serial0", "COM1"}},
         {{"VID_0403+PID_6001+AC01", "COM1"}},
         {"none"}},
        {"PortNameTrimmedLabelCaseIgnored",
         {{"\\Device\\VCP0", "COM5"}},
         {{"VID_0403+PID_6001+ac01", " COM5 "}},
         {"COM5    USB-RS"}},
        {"BothLabelsAndNoLabel",
         {{"\\Device\\VCP0", "COM3"}, {"\\Device\\VCP1", "COM4"}},
         {{"VID_0403+PID_6001+KV1+AC2", "COM3"}, {"VID_3B7C+PID_6003+XY", "COM4"}},
         {"COM3    KVB-410USB    USB-RS", "COM4"}},
        {"NonVcpPortOfAKnownDevice",
         {{"\\Device\\VCP0", "COM5"}, {"\\Device\\ttyACM0", "COM65"}},
         {{"VID_0403+PID_6001+AC1", "COM65"}},
         {"none"}},
    };
    for (const auto& c : cases) {
        FakeTable table;
        table.serial = c.serial;
        table.usb = c.usb;
        const auto result = USBRS_Search(table);
        EXPECT_EQ(result.entries, c.entries) << c.name;
        EXPECT_EQ(result.found, c.entries.front() != "none") << c.name;
        EXPECT_EQ(table.usb_calls, c.name == std::string("NoVcpPort") ? 0 : 1) << c.name;
    }
}

}  // namespace
}  // namespace qvt::startup
