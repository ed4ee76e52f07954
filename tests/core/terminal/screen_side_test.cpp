#include "core/terminal/control_base.h"

#include <gtest/gtest.h>

namespace qvt::terminal {
namespace {

// The serial side is not under test here: a port that is never open.
class RecordingSide : public ControlBase {
  public:
    bool PortOpen() const override { return false; }
    void set_PortOpen(bool) override {}
    std::string Input() override { return ""; }
    void set_Output(const std::string&) override {}
    int InBufferCount() const override { return 0; }
    void set_InBufferCount(int) override {}
    int OutBufferCount() const override { return 0; }
    void set_OutBufferCount(int) override {}
    int CommEvent() const override { return 0; }

    int changes = 0;

  protected:
    void screen_changed() override { ++changes; }
};

// Only what changes the screen is told (the screen's generation says what
// did); the scroll requests move the view a line or to the top, none past it.
TEST(ScreenSide, NotifiesOnlyVisibleChangesAndScrollsTheView) {
    RecordingSide side;
    side.set_Disp("abc");
    side.set_Disp("");
    side.set_Disp("\x1b[7m\x1b[1;4H");
    side.set_CursorColumn(4);  // already there
    side.set_CursorType(1);
    EXPECT_EQ(side.changes, 1);
    side.set_Disp("\r");
    side.set_SelLength(3);
    side.set_CursorRow(3);
    side.set_Font("MS Gothic", 12);
    side.set_Enabled(false);
    EXPECT_EQ(side.changes, 6);

    side.set_Rows(200);
    side.set_ScrollRows(30);
    side.Scroll(platform::ScrollRequest::LineDown);
    side.Scroll(platform::ScrollRequest::LineDown);
    side.Scroll(platform::ScrollRequest::LineUp);
    EXPECT_EQ(side.screen().view_top(), 2);
    side.Scroll(platform::ScrollRequest::Top);
    EXPECT_EQ(side.screen().view_top(), 1);
    const int changes = side.changes;
    side.Scroll(platform::ScrollRequest::LineUp);
    EXPECT_EQ(side.screen().view_top(), 1);
    EXPECT_EQ(side.changes, changes);
}

}  // namespace
}  // namespace qvt::terminal
