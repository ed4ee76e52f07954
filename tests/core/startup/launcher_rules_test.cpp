#include "core/startup/launcher_rules.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qvt::startup
