// The progress dialog's model and the file dialog wrapper.
#include <gtest/gtest.h>

#include "core/transfer/file_dialog.h"
#include "core/transfer/progress.h"
#include "tests/support/scripted_dialogs.h"

namespace qvt::transfer {
namespace {

TEST(Progress, PlacementOverTheMainWindow) {
    const std::pair<Rect, ProgressPlacement> cases[] = {
        {{100, 50, 858, 700}, {100 + 429 - 342, 110, 684, 342 - 40 - 5}},  // 858 div 5 first
        {{0, 0, 1000, 600}, {100, 60, 800, 400 - 40 - 5}},
        {{-20, 10, 7, 100}, {-20 + 3 - 2, 70, 4, 2 - 40 - 5}},
    };
    for (const auto& [main, expected] : cases)
        EXPECT_EQ(ProgressModel::place(main, 81), expected);
}

TEST(Progress, PinAbortAndCaptionDrag) {
    link::SharedState state;
    ProgressModel p(state);
    int changes = 0;
    p.on_change = [&] { ++changes; };
    p.show_for("Save Program", "/x/p.Q2K", "Saving...");
    EXPECT_TRUE(p.visible());
    EXPECT_TRUE(p.pinned());
    EXPECT_EQ(p.label1(), "");
    EXPECT_TRUE(p.ignore_system_command(kScDragMove, true));
    EXPECT_FALSE(p.ignore_system_command(kScDragMove, false));
    EXPECT_FALSE(p.ignore_system_command(0xF060, true));
    p.FormDeactivate();
    EXPECT_FALSE(p.ignore_system_command(kScDragMove, true));
    p.Button1Click();
    EXPECT_EQ(state.abort_request, 1);
    EXPECT_GE(changes, 2);
}

TEST(FileDialog, EachOptionReachesThePlatformRequestAlone) {
    struct Case {
        bool open, no_change_dir, overwrite_prompt, must_exist;
    };
    for (const Case c : {Case{true, false, false, false}, Case{false, false, true, false},
                         Case{true, true, false, false}, Case{true, false, false, true},
                         Case{false, true, true, true}}) {
        FileDialogOptions o;
        o.open = c.open;
        o.no_change_dir = c.no_change_dir;
        o.overwrite_prompt = c.overwrite_prompt;
        o.must_exist = c.must_exist;
        const platform::FileDialogRequest r = make_file_request(o, "x");
        EXPECT_EQ(r.save, !c.open);
        EXPECT_EQ(r.no_change_dir, c.no_change_dir);
        EXPECT_EQ(r.overwrite_prompt, c.overwrite_prompt);
        EXPECT_EQ(r.must_exist, c.must_exist);
    }
}

TEST(FileDialog, AMissingFileDoesNotPassWhereItMustExist) {
    test::ScriptedDialogs dialogs;
    FileDialogOptions o;
    o.must_exist = true;
    std::string name = "kept";
    dialogs.push_file("/nonexistent/dir/p.Q2K");
    EXPECT_FALSE(OpenSaveFileDialog(dialogs, o, name));
    EXPECT_EQ(name, "kept");
}

TEST(FileDialog, NameStoredOnlyOnOkWithTheDefaultExtension) {
    test::ScriptedDialogs dialogs;
    FileDialogOptions o;
    o.default_ext = "Q2K";
    o.open = false;
    o.title = "Save Program";
    o.filter = {{"Q2K (*.Q2K)", "*.Q2K"}};
    std::string name = "/d/prog";
    dialogs.push_file(std::nullopt);
    EXPECT_FALSE(OpenSaveFileDialog(dialogs, o, name));
    EXPECT_EQ(name, "/d/prog");
    dialogs.push_file("/d/new");
    EXPECT_TRUE(OpenSaveFileDialog(dialogs, o, name));
    EXPECT_EQ(name, "/d/new.Q2K");
    dialogs.push_file("/d/v1.2/x.q2k");
    EXPECT_TRUE(OpenSaveFileDialog(dialogs, o, name));
    EXPECT_EQ(name, "/d/v1.2/x.q2k");
    const auto& r = dialogs.file_requests().at(0);
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.initial_file, "/d/prog");
    EXPECT_EQ(r.filters, o.filter);
    std::string long_name(400, 'n');
    dialogs.push_file(std::nullopt);
    OpenSaveFileDialog(dialogs, o, long_name);
    EXPECT_EQ(dialogs.file_requests().back().initial_file.size(), 260u);
}

}  // namespace
}  // namespace qvt::transfer
