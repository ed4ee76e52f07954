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
    // The line the Enter key enters; any other key is a fault.
    void CommKeyDown(int& key, platform::ShiftState) override {
        std::string line;
        rig_.dialogue.GetLineStr(rig_.term.CursorRow(), line);
        entered_lines.push_back(key == 13 ? line : "key " + std::to_string(key));
    }
    void set_Prg_File(const std::string&) override {}

    std::vector<int> loads_with_preselected;
    std::vector<std::string> entered_lines;
    std::function<void()> during_load;

  private:
    LinkRig& rig_;
};

struct Fixture {
    LinkRig rig;
    RecordingRequestHooks hooks{rig};
    link::RequestField field{rig.state, rig.term, rig.pump, rig.dialogs, hooks};
};

// Which requests are well formed and the line each types over whatever the
// row held, the request field's fuzzing harness checks against a model.
TEST(RequestField, TypesTheLineAndPressesEnterAfterTenMs) {
    Fixture f;
    f.field.MaskEdit1Change("/P X1");
    f.rig.pump.run_until(9);
    EXPECT_TRUE(f.hooks.entered_lines.empty());
    f.rig.pump.run_until(10);
    EXPECT_EQ(f.hooks.entered_lines, std::vector<std::string>{"PRINT X1 : PRX X1"});
}

// A load starts with its file preselected (which file, the harness checks).
TEST(RequestField, LoadPreselectsTheFileAndAClosedPortDropsTheRequest) {
    {
        Fixture f;
        f.field.MaskEdit1Change("/L C:\\work\\robot.Q2K ");
        f.rig.pump.run_for(10);
        EXPECT_EQ(f.hooks.loads_with_preselected, std::vector<int>{1});
        EXPECT_TRUE(f.hooks.entered_lines.empty());
    }
    Fixture f;  // with the port closed the request is reported and dropped
    f.rig.term.set_PortOpen(false);
    f.field.MaskEdit1Change("/P X1");
    f.rig.pump.run_for(10);
    ASSERT_EQ(f.rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(f.rig.dialogs.last_text(),
              "Not able to do this operation now. (Com port has been closed)");
    EXPECT_TRUE(f.hooks.entered_lines.empty());
    EXPECT_FALSE(f.field.request_pending());
    EXPECT_TRUE(f.rig.term.disp_log().empty());
}

// A request never starts inside another operation, and none is lost: they
// wait, then run one at a time in the order they came, even after one failed.
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

    // One that fails does not block the next.
    f.hooks.entered_lines.clear();
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
