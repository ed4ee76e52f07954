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

struct SearchCase {
    const char* name;
    std::vector<NamedPort> serial;
    std::vector<NamedPort> usb;
    std::vector<std::string> entries;
    bool found;
};

class Search : public testing::TestWithParam<SearchCase> {};

TEST_P(Search, LabelsAndSortsThePorts) {
    const auto& c = GetParam();
    FakeTable table;
    table.serial = c.serial;
    table.usb = c.usb;
    const auto result = USBRS_Search(table);
    EXPECT_EQ(result.entries, c.entries);
    EXPECT_EQ(result.found, c.found);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Search,
    testing::Values(
        SearchCase{"NoPort", {}, {}, {"none"}, false},
        SearchCase{"NoVcpPort",
                   {{"\\Device\\Serial0", "COM1"}},
                   {{"VID_0403+PID_6001+AC000001", "COM1"}},
                   {"none"},
                   false},
        SearchCase{"ForeignVendorProduct",
                   {{"\\Device\\VCP0", "COM5"}},
                   {{"VID_0403+PID_6015+AC000001", "COM5"}},
                   {"none"},
                   false},
        SearchCase{
            "AdapterAndController",
            {{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM12"}},
            {{"VID_3B7C+PID_6003+KV000001", "COM5"}, {"VID_0403+PID_6001+AC00ABCD", "COM12"}},
            {"COM12    USB-RS", "COM5    KVB-410USB"},
            true},
        SearchCase{"DeviceWithoutItsPort",
                   {{"\\Device\\VCP0", "COM5"}},
                   {{"VID_0403+PID_6001+AC000001", ""}, {"VID_0403+PID_6001+AC000002", "COM7"}},
                   {"none"},
                   false},
        SearchCase{"PortNameTrimmed",
                   {{"\\Device\\VCP0", "COM5"}},
                   {{"VID_0403+PID_6001+ac01", " COM5 "}},  // label test ignores case
                   {"COM5    USB-RS"},
                   true},
        SearchCase{"BothLabelsAndNoLabel",
                   {{"\\Device\\VCP0", "COM3"}, {"\\Device\\VCP1", "COM4"}},
                   {{"VID_0403+PID_6001+KV1+AC2", "COM3"}, {"VID_3B7C+PID_6003+XY", "COM4"}},
                   {"COM3    KVB-410USB    USB-RS", "COM4"},
                   true},
        SearchCase{"NonVcpPortOfAKnownDevice",
                   {{"\\Device\\VCP0", "COM5"}, {"\\Device\\ttyACM0", "COM65"}},
                   {{"VID_0403+PID_6001+AC1", "COM65"}},
                   {"none"},
                   false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Search, WithoutVcpPortsTheUsbTableIsNotRead) {
    FakeTable table;
    table.serial = {{"\\Device\\ttyS0", "COM1"}};
    USBRS_Search(table);
    EXPECT_EQ(table.usb_calls, 0);
}

struct PresenceCase {
    const char* name;
    std::vector<NamedPort> serial;
    const char* com_port;
    bool vcp_present;
    bool any_present;
};

class Presence : public testing::TestWithParam<PresenceCase> {};

TEST_P(Presence, ChecksTheSerialPortTable) {
    const auto& c = GetParam();
    FakeTable table;
    table.serial = c.serial;
    const auto vcp = CheckVCP(table, c.com_port);
    const auto any = CheckVCP1(table, c.com_port);
    EXPECT_EQ(!vcp.has_value(), c.vcp_present);
    EXPECT_EQ(!any.has_value(), c.any_present);
    if (vcp) {
        EXPECT_EQ(*vcp, "COM " + std::string(c.com_port) +
                            " port has disconnected. (VCP's disappearance)\r\nQVTW is closed.");
    }
    if (any) {
        EXPECT_EQ(*any,
                  "COM" + std::string(c.com_port) + " port has disconnected.\r\nQVTW is closed.");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Presence,
    testing::Values(PresenceCase{"Vcp", {{"\\Device\\VCP0", "COM5"}}, "5", true, true},
                    PresenceCase{"LowerCaseVcp", {{"\\Device\\vcp0", "COM12"}}, "12", true, true},
                    PresenceCase{"PlainPort", {{"\\Device\\ttyS0", "COM1"}}, "1", false, true},
                    PresenceCase{"Gone", {{"\\Device\\VCP0", "COM5"}}, "15", false, false},
                    PresenceCase{"NoPrefixMatch", {{"\\Device\\VCP0", "COM15"}}, "1", false, false},
                    PresenceCase{"Empty", {}, "3", false, false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace qvt::startup
