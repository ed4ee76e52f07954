#include "core/startup/usbrs_search.h"

#include <gtest/gtest.h>

#include "tests/core/link/table_ports.h"

namespace qvt::startup {
namespace {

using platform::NamedPort;

// A port is listed when the serial table names it a VCP port and a USB device
// of a known vendor and product sits on it; the USB table is read only then.
// The list is sorted as text.
TEST(Search, LabelsAndSortsThePorts) {
    const struct {
        const char* name;
        std::vector<NamedPort> serial, usb;
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
        {"ForeignVendorOrProduct",
         {{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM6"}},
         {{"VID_1234+PID_6001+KV1", "COM5"}, {"VID_0403+PID_6015+AC7", "COM6"}},
         {"none"}},
        {"SortedAsText",
         {{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM12"}},
         {{"VID_3B7C+PID_6003+KV42", "COM5"}, {"VID_0403+PID_6001+AC7", "COM12"}},
         {"COM12    USB-RS", "COM5    KVB-410USB"}},
    };
    for (const auto& c : cases) {
        test::TablePorts table;
        table.serial = c.serial;
        table.usb = c.usb;
        const auto result = USBRS_Search(table);
        EXPECT_EQ(result.entries, c.entries) << c.name;
        EXPECT_EQ(result.found, c.entries.front() != "none") << c.name;
        EXPECT_EQ(table.usb_reads, c.name == std::string("NoVcpPort") ? 0 : 1) << c.name;
    }
}

}  // namespace
}  // namespace qvt::startup
