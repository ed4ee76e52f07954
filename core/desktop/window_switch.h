// The window switch: Alt+Left and Alt+Right in the main window open a small
// stay-on-top list of the top-level windows of the controller programmer's
// family of tools; further presses move through it with wrap-around and
// releasing Alt raises the chosen window.
//
// How it works: the list is rebuilt from the platform's window list at every
// opening from the main window. A window belongs to the family when the
// executable of its owning process, upper-cased, is one of the family's names
// with or without ".EXE"; for a Windows program run by Wine that is the
// Windows executable on the command line, not the loader. The switch window is
// a view: it renders items() and selected() when told and forwards keys, the
// release of Alt and double clicks. The switch-open flag is set while the list
// is open for an Alt-held switch; only the release of Alt clears it.
#pragma once

#include <string>
#include <vector>

#include "core/platform/terminal_control.h"
#include "core/platform/windows.h"

namespace qvt::desktop {

inline constexpr const char* kSwitchCaption = "Window Switch";
inline constexpr int kNoImage = -1;

struct SwitchItem {
    std::string caption;  // padded name followed by the title
    std::string wnd;      // "$" and 8 upper-case hexadecimal digits
    std::string class_name;
    std::string exe_name;    // padded name
    std::string first_hwnd;  // decimal handle of the first window with the same title
    int image = kNoImage;
    platform::WindowId id = 0;
};

// The executable a window's process runs, as the family is matched against:
// the Windows executable on a Wine process's command line, else the process's
// own executable (else the command line's first word).
std::string executable_name(const std::string& executable,
                            const std::vector<std::string>& command_line);
// The name without its extension, padded with blanks to 13 characters.
std::string padded_name(const std::string& executable);
// The state image of a family member; kNoImage for any other name.
int state_image(const std::string& executable);
// The items for the given windows (top to bottom), family only.
std::vector<SwitchItem> build_switch_list(const std::vector<platform::TopLevelWindow>& windows);

class WindowSwitchView {
  public:
    virtual ~WindowSwitchView() = default;
    // Items or selection changed.
    virtual void refresh() = 0;
    // Shows the window centred on the screen with this caption, focused.
    virtual void show_switch(const std::string& caption) = 0;
    virtual void hide_switch() = 0;
    virtual void focus_terminal() = 0;
};

class WindowSwitch {
  public:
    explicit WindowSwitch(platform::Windows* windows) : windows_(windows) {}

    void set_view(WindowSwitchView* view) { view_ = view; }

    // Alt+Left (preselect_last) or Alt+Right in the main window; true when
    // the key is consumed.
    bool open_from_main(bool preselect_last);
    // The list's key-down handler; true when the key is consumed.
    bool ListView1KeyDown(int key, platform::ShiftState shift);
    // The list's key-up handler.
    void ListView1KeyUp(platform::ShiftState shift);
    void ListView1DblClick() { activate_selected(); }
    // The user clicked an item.
    void select(int index);
    void activate_selected();

    const std::vector<SwitchItem>& items() const { return items_; }
    int selected() const { return selected_; }
    bool switch_open() const { return switch_open_; }

  private:
    void refresh() {
        if (view_ != nullptr) view_->refresh();
    }

    platform::Windows* windows_;
    WindowSwitchView* view_ = nullptr;
    std::vector<SwitchItem> items_;
    int selected_ = -1;
    bool switch_open_ = false;
};

}  // namespace qvt::desktop
