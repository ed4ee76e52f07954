#include "core/terminal/screen_side.h"

#include <gtest/gtest.h>

namespace qvt::terminal {
namespace {

// The serial side is not under test here: a port that is never open.
class RecordingSide : public ScreenSide {
  public:
    int CommPort() const override { return 1; }
    void set_CommPort(int) override {}
    std::string Settings() const override { return ""; }
    void set_Settings(const std::string&) override {}
    int Handshaking() const override { return 0; }
    void set_Handshaking(int) override {}
    bool RTSEnable() const override { return false; }
    void set_RTSEnable(bool) override {}
    int InTimeout() const override { return 0; }
    void set_InTimeout(int) override {}
    int SThreshold() const override { return 0; }
    void set_SThreshold(int) override {}
    int InBufferSize() const override { return 0; }
    void set_InBufferSize(int) override {}
    bool PortOpen() const override { return false; }
    void set_PortOpen(bool) override {}
    int RThreshold() const override { return 0; }
    void set_RThreshold(int) override {}
    int InputLen() const override { return 0; }
    void set_InputLen(int) override {}
    std::string Input() override { return ""; }
    void set_Output(const std::string&) override {}
    int InBufferCount() const override { return 0; }
    void set_InBufferCount(int) override {}
    int OutBufferCount() const override { return 0; }
    void set_OutBufferCount(int) override {}
    int CommEvent() const override { return 0; }

    int changes = 0;
    int focus_requests = 0;

  protected:
    void screen_changed() override { ++changes; }
    void focus_requested() override { ++focus_requests; }
};

TEST(ScreenSide, NotifiesOnlyVisibleChanges) {
    RecordingSide side;
    side.set_Disp("abc");
    EXPECT_EQ(side.changes, 1);
    side.set_Disp("");
    side.set_Disp("\x1b[7m");
    side.set_CursorColumn(4);  // already there
    side.set_CursorType(1);
    EXPECT_EQ(side.changes, 1);
    side.set_CursorRow(3);
    side.set_Font("MS Gothic", 12);
    side.set_Enabled(false);
    EXPECT_EQ(side.changes, 4);
    EXPECT_EQ(side.CursorRow(), 3);
    EXPECT_EQ(side.font_family(), "MS Gothic");
}

TEST(ScreenSide, SystemSetupAndClearSequence) {
    RecordingSide side;
    side.set_Columns(150);
    side.set_Rows(200);
    side.set_ScrollRows(30);
    side.set_AutoScroll(3);
    EXPECT_EQ(side.Columns(), 150);
    EXPECT_EQ(side.Rows(), 200);
    side.set_Disp("\x1b[120H#LIST\r\n");
    EXPECT_EQ(side.screen().view_top(), 121 - 30 + 1);
    // The system's screen clear: erase, view to top, empty text, erase, home.
    side.set_Disp("\x1b[2J");
    side.Scroll(platform::ScrollRequest::Top);
    side.set_Text("");
    side.set_Disp("\x1b[2J");
    side.set_CursorColumn(1);
    side.set_CursorRow(1);
    side.SetFocus();
    EXPECT_EQ(side.screen().view_top(), 1);
    std::string empty_screen;
    for (int i = 0; i < 200; ++i)
        empty_screen += "\r\n";
    EXPECT_EQ(side.Text(), empty_screen);
    EXPECT_EQ(side.CursorRow(), 1);
    EXPECT_EQ(side.focus_requests, 1);
}

TEST(ScreenSide, ScrollRequestsMoveTheView) {
    RecordingSide side;
    side.set_Rows(50);
    side.set_ScrollRows(10);
    side.set_AutoScroll(0);
    side.Scroll(platform::ScrollRequest::LineDown);
    side.Scroll(platform::ScrollRequest::LineDown);
    EXPECT_EQ(side.screen().view_top(), 3);
    side.Scroll(platform::ScrollRequest::LineUp);
    EXPECT_EQ(side.screen().view_top(), 2);
    side.Scroll(platform::ScrollRequest::Top);
    EXPECT_EQ(side.screen().view_top(), 1);
    const int before = side.changes;
    side.Scroll(platform::ScrollRequest::LineUp);  // already at the top
    EXPECT_EQ(side.changes, before);
}

}  // namespace
}  // namespace qvt::terminal
