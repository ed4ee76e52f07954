// The launcher's rules and its search for USB-RS ports.
#include "core/startup/launcher_rules.h"

#include <gtest/gtest.h>

#include "core/startup/usbrs_search.h"
#include "tests/core/link/table_ports.h"

namespace qvt::startup {
namespace {

TEST(ConnectPlan, EntryOrFieldGivesPortBaudAndStatus) {
    struct Case {
        const char* entry;
        int radio;
        std::optional<std::string> port;
        int baud;
        const char* status;
    };
    for (const auto& c : std::vector<Case>{
             {"COM5    USB-RS", 0, "5", 38400, "COM5    USB-RS 38400"},
             {"COM12    USB-RS", 1, "12", 115200, "COM12    USB-RS 115200"},
             {"COM5    KVB-410USB", 0, "5", 115200, "COM5    KVB-410USB"},  // forced 115200
             {"COM100", 0, "100", 38400, "COM100 38400"},
             {"none", 0, std::nullopt, 38400, "none"},
             {"COM", 0, std::nullopt, 38400, "COM 38400"},
         }) {
        const auto plan = usbrs_connect_plan(c.entry, c.radio);
        EXPECT_EQ(plan.port, c.port) << c.entry;
        EXPECT_EQ(plan.baud, c.baud) << c.entry;
        EXPECT_EQ(plan.status_text, c.status) << c.entry;
    }
    // The other port's field is trimmed but shown as typed.
    const auto plan = other_com_connect_plan(" 7 ", 1);
    EXPECT_EQ(plan.port, "7");
    EXPECT_EQ(plan.status_text, "COM 7  115200");
}

TEST(TabArea, ZeroMeansASixth) {
    EXPECT_EQ(tab_area_height("0", 400), 66);
    EXPECT_EQ(tab_area_height("150", 400), 150);
    EXPECT_EQ(tab_area_height("x", 400), std::nullopt);
}

TEST(LauncherStatus, ControlVersion) {
    struct Case {
        const char* version;
        const char* text;
        bool legacy;
    };
    for (const auto& c : std::vector<Case>{{"", "COMCtrl not exist in /x", true},
                                           {"3.0.1", "COMCtrl:JPN(3.0.1)", true},
                                           {"3.20.5", "COMCtrl:JPN(3.20.5)", true},
                                           {"3.30.2", "COMCtrl:ENG(3.30.2)", false},
                                           {"4.0", "COMCtrl:unknown", true}}) {
        const auto status = control_version_status("/x", c.version);
        EXPECT_EQ(status.text, c.text);
        EXPECT_EQ(status.legacy, c.legacy);
    }
}

// A port is listed when the serial table names it a VCP port and a USB device
// of a known vendor and product sits on it; the USB table is read only then.
// The list is sorted as text.
TEST(Search, LabelsAndSortsThePorts) {
    const struct {
        const char* name;
        std::vector<platform::NamedPort> serial, usb;
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
