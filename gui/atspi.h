// The controls inside other programs' windows, through the desktop's
// accessibility interface (AT-SPI on D-Bus), and the window controls the
// monitor bridge uses.
//
// How it works: the accessibility bus's address is asked of the session bus
// (org.a11y.Bus); on that bus the registry's root lists the applications
// that expose themselves, each application lists its top-level windows
// (named by their titles), and every object lists its children, with a role
// name ("push button") and a name (a button's text). A button is pressed by
// its "press" or "click" action. Our own process is passed over: a blocking
// call to ourselves would wait for a reply only we could give. Every call
// has a short time-out, so a hung program costs a second, not the session.
//
// DesktopWindowControls answers "does a window with this title exist" from
// the X11 window list when there is one, else from the accessibility tree,
// and raises a window through X11.
#pragma once

#include <memory>
#include <optional>

#include "core/platform/windows.h"

namespace qvt::gui {

class AtSpi {
  public:
    AtSpi();
    ~AtSpi();
    AtSpi(const AtSpi&) = delete;
    AtSpi& operator=(const AtSpi&) = delete;

    bool window_exists(const std::string& title);
    std::vector<platform::ChildControl> controls(const std::string& title);
    std::string text_of(const platform::ChildControl& control);
    bool press(const platform::ChildControl& control);

  private:
    struct Bus;
    std::unique_ptr<Bus> bus_;
};

class DesktopWindowControls : public platform::WindowControls {
  public:
    DesktopWindowControls(platform::Windows& windows, AtSpi& atspi)
        : windows_(windows), atspi_(atspi) {}

    bool window_exists(const std::string& title) override;
    std::vector<platform::ChildControl> controls(const std::string& title) override {
        return atspi_.controls(title);
    }
    std::string text_of(const platform::ChildControl& control) override {
        return atspi_.text_of(control);
    }
    bool press(const platform::ChildControl& control) override { return atspi_.press(control); }
    void bring_to_front(const std::string& title) override;

  private:
    std::optional<platform::WindowId> find(const std::string& title);

    platform::Windows& windows_;
    AtSpi& atspi_;
};

}  // namespace qvt::gui
