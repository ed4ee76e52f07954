// The settings dialog's model: filling, OK, Cancel and Select.
#include <gtest/gtest.h>

#include "core/startup/settings.h"
#include "tests/support/scripted_dialogs.h"

namespace qvt::startup {
namespace {

struct SettingsRig {
    SettingsRig() {
        values.editor = "/opt/kvbed2k";
        values.editor1 = "/usr/bin/xdg-open";
        values.quit_connecting = '1';
        values.ime_enabled = '0';
        values.reference_host = "http://ref.test";
    }
    ProfileValues values;
    test::ScriptedDialogs dialogs;
    std::vector<std::string> stop_texts;
    SettingsDialog dialog{values, dialogs,
                          [this](const std::string& t) { stop_texts.push_back(t); }};
};

TEST(Settings, OkStoresEverythingAndUpdatesTheLauncherAtOnce) {
    SettingsRig rig;
    rig.values.ime_enabled = 'x';  // not "1": shown unticked, written as "0"
    rig.dialog.FormActivate();
    EXPECT_EQ(rig.dialog.controls, (SettingsControls{"/opt/kvbed2k", "/usr/bin/xdg-open", true,
                                                     false, "http://ref.test"}));
    rig.dialog.controls.edit1 = "  typed as is ";
    rig.dialog.controls.edit3 = "ref.example";
    rig.dialog.controls.check1 = false;
    rig.dialog.Button1Click();
    EXPECT_EQ(rig.values.editor, "  typed as is ");
    EXPECT_EQ(rig.values.editor1, "/usr/bin/xdg-open");
    EXPECT_EQ(rig.values.quit_connecting, "0");
    EXPECT_EQ(rig.values.ime_enabled, "0");
    EXPECT_EQ(rig.values.reference_host, "ref.example");
    EXPECT_EQ(rig.stop_texts, std::vector<std::string>{"KVB Not Stop"});

    rig.dialog.FormActivate();
    rig.dialog.controls.check1 = true;
    rig.dialog.controls.check2 = true;
    rig.dialog.Button1Click();
    EXPECT_EQ(rig.values.quit_connecting, "1");
    EXPECT_EQ(rig.values.ime_enabled, "1");
    EXPECT_EQ(rig.stop_texts.back(), "");
}

// Select fills the field from the file dialog (nothing if cancelled); Cancel
// leaves the values, and the next activation refills the fields.
TEST(Settings, SelectFillsTheFieldAndOnlyOkStoresIt) {
    SettingsRig rig;
    rig.dialog.FormActivate();
    rig.dialogs.push_file("/usr/bin/mousepad");
    rig.dialog.Button3Click();
    rig.dialogs.push_file(std::nullopt);
    rig.dialog.Button4Click();
    EXPECT_EQ(rig.dialog.controls.edit1, "/usr/bin/mousepad");
    EXPECT_EQ(rig.dialog.controls.edit2, "/usr/bin/xdg-open");
    ASSERT_EQ(rig.dialogs.file_requests().size(), 2u);
    const auto& r = rig.dialogs.file_requests()[1];
    EXPECT_EQ(r.initial_file, "/usr/bin/xdg-open");
    EXPECT_EQ(rig.values.editor, "/opt/kvbed2k");
    rig.dialog.FormActivate();
    EXPECT_EQ(rig.dialog.controls.edit1, "/opt/kvbed2k");
}

}  // namespace
}  // namespace qvt::startup
