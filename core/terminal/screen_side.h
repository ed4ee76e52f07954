// The screen half of a terminal control, shared by every implementation.
//
// How it works: ScreenSide implements all screen-side properties of
// platform::TerminalControl over one terminal::Screen and leaves the serial
// side to the concrete control (the Qt control on a real port, the test
// double on the in-process simulator). After every change that a view could
// show it calls screen_changed(), which a view overrides to schedule a repaint;
// focus and scroll requests likewise reach the view through virtual hooks.
#pragma once

#include <string>

#include "core/platform/terminal_control.h"
#include "core/terminal/screen.h"

namespace qvt::terminal {

class ScreenSide : public platform::TerminalControl {
  public:
    ScreenSide();

    void set_Disp(const std::string& bytes) override;
    std::string Text() const override;
    void set_Text(const std::string& text) override;
    int Columns() const override;
    void set_Columns(int n) override;
    int Rows() const override;
    void set_Rows(int n) override;
    int CursorRow() const override;
    void set_CursorRow(int row) override;
    int CursorColumn() const override;
    void set_CursorColumn(int column) override;
    int CursorType() const override { return cursor_type_; }
    void set_CursorType(int type) override;
    int Emulation() const override { return emulation_; }
    void set_Emulation(int emulation) override { emulation_ = emulation; }
    void set_Font(const std::string& family, int point_size) override;
    int AutoScroll() const override;
    void set_AutoScroll(int mode) override;
    int ScrollRows() const override;
    void set_ScrollRows(int rows) override;
    int SelStart() const override;
    void set_SelStart(int pos) override;
    int SelLength() const override;
    void set_SelLength(int len) override;
    std::string SelText() const override;
    void Scroll(platform::ScrollRequest request) override;
    bool Enabled() const override { return enabled_; }
    void set_Enabled(bool on) override;
    void SetFocus() override { focus_requested(); }

    Screen& screen() { return screen_; }
    const Screen& screen() const { return screen_; }
    const std::string& font_family() const { return font_family_; }
    int font_size() const { return font_size_; }

  protected:
    // Something a view shows has changed (cells, cursor, view, selection, font).
    virtual void screen_changed() {}
    virtual void focus_requested() {}

  private:
    Screen screen_;
    int cursor_type_ = 1;
    int emulation_ = 4;
    std::string font_family_;
    int font_size_ = 12;
    bool enabled_ = true;
};

}  // namespace qvt::terminal
