#include "core/link/request_field.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/link_rig.h"

namespace qvt::test {
namespace {

class RecordingRequestHooks : public link::RequestHooks {
  public:
    explicit RecordingRequestHooks(LinkRig& rig) : rig_(rig) {}

    void Load68k() override {
        loads_with_preselected.push_back(rig_.state.file_preselected);
        if (during_load) during_load();
    }
    void CommKeyDown(int& key, platform::ShiftState shift) override {
        keys.push_back(key);
        shifts.push_back(shift);
        std::string line;
        rig_.dialogue.GetLineStr(rig_.term.CursorRow(), line);
        entered_lines.push_back(line);
    }
    void set_Prg_File(const std::string& path) override { prg_files.push_back(path); }

    std::vector<int> loads_with_preselected;
    std::vector<int> keys;
    std::vector<platform::ShiftState> shifts;
    std::vector<std::string> entered_lines;
    std::vector<std::string> prg_files;
    std::function<void()> during_load;

  private:
    LinkRig& rig_;
};

struct Fixture {
    LinkRig rig;
    RecordingRequestHooks hooks{rig};
    link::RequestField field{rig.state, rig.term, rig.pump, rig.dialogs, hooks};
};

struct TypedCase {
    const char* name;
    std::string request;
    std::string line;
};

class TypedRequest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedRequest, TypesTheLineAndPressesEnter) {
    Fixture f;
    // The cursor sits at the end of an old line, which the request replaces.
    f.rig.term.set_Disp("#OLD TEXT ON THIS LINE");
    f.field.MaskEdit1Change(GetParam().request);
    f.rig.pump.run_until(9);
    EXPECT_TRUE(f.hooks.keys.empty()) << "ran before Timer2's 10 ms";
    f.rig.pump.run_until(10);
    EXPECT_EQ(f.hooks.keys, std::vector<int>{13});
    EXPECT_EQ(f.hooks.shifts, std::vector<platform::ShiftState>{platform::ShiftState{}});
    EXPECT_EQ(f.hooks.entered_lines, std::vector<std::string>{GetParam().line});
    EXPECT_FALSE(f.field.request_pending());
    EXPECT_TRUE(f.rig.dialogs.messages().empty());
}

// The screen's text drops trailing blanks, so "LIST " reads back as "LIST".
INSTANTIATE_TEST_SUITE_P(Requests, TypedRequest,
                         ::testing::Values(TypedCase{"List", "/T 100", "LIST 100"},
                                           TypedCase{"Print", "/P X1", "PRINT X1 : PRX X1"},
                                           TypedCase{"Prx", "/X A(3)", "PRX A(3)"},
                                           TypedCase{"ArgumentTrimmed", "/X   B  ", "PRX B"},
                                           TypedCase{"AnySeparator", "/T,200", "LIST 200"},
                                           TypedCase{"NoArgument", "/T", "LIST"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(RequestField, LoadWithFileName) {
    Fixture f;
    f.field.MaskEdit1Change("/L C:\\work\\robot.Q2K ");
    f.rig.pump.run_for(10);
    EXPECT_EQ(f.hooks.prg_files, std::vector<std::string>{"C:\\work\\robot.Q2K"});
    EXPECT_EQ(f.hooks.loads_with_preselected, std::vector<int>{1});
    EXPECT_TRUE(f.hooks.keys.empty());
}

TEST(RequestField, LoadWithoutNameUsesTheCurrentFile) {
    Fixture f;
    f.field.MaskEdit1Change("/L");
    f.rig.pump.run_for(10);
    EXPECT_TRUE(f.hooks.prg_files.empty());
    EXPECT_EQ(f.hooks.loads_with_preselected, std::vector<int>{1});
}

TEST(RequestField, ClosedPortIsReportedAndTheRequestDropped) {
    Fixture f;
    f.rig.term.set_PortOpen(false);
    f.field.MaskEdit1Change("/P X1");
    f.rig.pump.run_for(10);
    ASSERT_EQ(f.rig.dialogs.messages().size(), 1u);
    const auto& msg = f.rig.dialogs.messages()[0];
    EXPECT_EQ(msg.caption, "QVT2K");
    EXPECT_EQ(msg.text, "Not able to do this operation now. (Com port has been closed)");
    EXPECT_EQ(msg.icon, platform::MsgIcon::Error);
    EXPECT_EQ(msg.buttons, platform::MsgButtons::Ok);
    EXPECT_TRUE(f.hooks.keys.empty());
    EXPECT_FALSE(f.field.request_pending());
    EXPECT_TRUE(f.rig.term.disp_log().empty());
}

TEST(RequestField, BadRequestsAreIgnored) {
    for (const char* text : {"", "/", "/Q x", "T 10", "/T 10\r\nNEW", "/P X1\n", "/L a\rb"}) {
        Fixture f;
        f.field.MaskEdit1Change(text);
        f.rig.pump.run_for(10);
        EXPECT_TRUE(f.hooks.keys.empty()) << text;
        EXPECT_TRUE(f.hooks.loads_with_preselected.empty()) << text;
        EXPECT_TRUE(f.hooks.prg_files.empty()) << text;
        EXPECT_TRUE(f.rig.term.disp_log().empty()) << text;
        EXPECT_EQ(f.rig.state.file_preselected, 0) << text;
        EXPECT_FALSE(f.field.request_pending()) << text;
        // The field still works afterwards.
        f.field.MaskEdit1Change("/X A");
        f.rig.pump.run_for(10);
        EXPECT_EQ(f.hooks.entered_lines, std::vector<std::string>{"PRX A"}) << text;
    }
}

// A request never starts inside another operation, and none is lost: they
// wait, then run one at a time in the order they came.
TEST(RequestField, RequestsWaitForTheRunningOperationAndAllRun) {
    Fixture f;
    f.field.MaskEdit1Change("/T 1");
    f.rig.pump.run_until(5);
    f.field.MaskEdit1Change("/T 2");
    f.rig.pump.run_for(100);
    EXPECT_EQ(f.hooks.entered_lines, (std::vector<std::string>{"LIST 1", "LIST 2"}));

    f.hooks.entered_lines.clear();
    f.hooks.during_load = [&] {
        f.field.MaskEdit1Change("/T 5");
        f.rig.dialogue.msDelay(1000);  // the load pumps events for a while
        EXPECT_TRUE(f.hooks.entered_lines.empty());
    };
    f.field.MaskEdit1Change("/L");
    f.rig.pump.run_for(2000);
    EXPECT_EQ(f.hooks.entered_lines, std::vector<std::string>{"LIST 5"});

    f.hooks.entered_lines.clear();
    f.rig.state.operation_running = 1;  // a transfer or a typed line waiting
    f.field.MaskEdit1Change("/X A");
    f.rig.pump.run_for(1000);
    EXPECT_TRUE(f.hooks.entered_lines.empty());
    EXPECT_TRUE(f.field.request_pending());
    f.rig.state.operation_running = 0;
    f.rig.pump.run_for(200);
    EXPECT_EQ(f.hooks.entered_lines, std::vector<std::string>{"PRX A"});
    EXPECT_FALSE(f.field.request_pending());
}

TEST(RequestField, FailingRequestDoesNotBlockLaterOnes) {
    Fixture f;
    f.hooks.during_load = [] { throw std::runtime_error("disk gone"); };
    f.field.MaskEdit1Change("/L x");
    EXPECT_THROW(f.rig.pump.run_for(10), std::runtime_error);
    EXPECT_FALSE(f.field.request_pending());
    f.field.MaskEdit1Change("/X A");
    f.rig.pump.run_for(10);
    EXPECT_EQ(f.hooks.entered_lines, std::vector<std::string>{"PRX A"});
}

}  // namespace
}  // namespace qvt::test
