// Other programs' windows: listing the desktop's top-level windows, raising
// one, and reaching the controls inside a window by its title.
//
// How it works: Windows lists what the window manager manages, top to bottom
// in its stacking order, with what is known of each window's owning process
// (its executable's file name and its command line), and raises one. A
// desktop that does not let a program see other programs' windows answers
// can_list() false and lists nothing.
//
// WindowControls reaches the controls of another program's window through
// the desktop's accessibility interface: the window is named by its title,
// its controls (at any depth, in the order the desktop reports them) carry a
// kind ("PUSH BUTTON", "LABEL", ... upper case), their text and a reference
// good until the program changes its windows. A desktop without that
// interface finds no window and no control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvt::platform {

using WindowId = std::uint64_t;

struct TopLevelWindow {
    WindowId id = 0;
    bool has_owner = false;  // a dialog or tool window belonging to another window
    bool visible = true;
    std::string title;
    std::string class_name;
    // The file name (no folder) of the owning process's executable, and that
    // process's command line; empty when the process cannot be read.
    std::string executable;
    std::vector<std::string> command_line;
};

class Windows {
  public:
    virtual ~Windows() = default;
    virtual bool can_list() const = 0;
    virtual std::vector<TopLevelWindow> top_level_windows() = 0;
    // Shows the window restored and brings it to the front; false when it is gone.
    virtual bool activate(WindowId id) = 0;
};

struct ChildControl {
    std::string kind;
    std::string text;
    std::string ref;
};

class WindowControls {
  public:
    virtual ~WindowControls() = default;
    virtual bool window_exists(const std::string& title) = 0;
    virtual std::vector<ChildControl> controls(const std::string& title) = 0;
    // The control's text now; empty when it is gone.
    virtual std::string text_of(const ChildControl& control) = 0;
    // Clicks the control; false when it is gone or cannot be pressed.
    virtual bool press(const ChildControl& control) = 0;
    // Brings the window with this title to the front.
    virtual void bring_to_front(const std::string& title) = 0;
};

}  // namespace qvt::platform
