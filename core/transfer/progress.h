// The progress dialog of the transfers (TForm4) as state: what it shows,
// whether it is up, whether the main window under it takes input, and the
// Abort button.
//
// How it works: the model is the dialog, a window only draws it. A transfer
// calls show_for() with its title, file and activity text, updates the line
// count, and hides the dialog at the end; every change ends in on_change so the
// view redraws and shows, hides or disables windows accordingly. The view
// forwards the user's actions: Button1Click() raises abort_request in the
// shared state (the transfer sees it at its next check, it is never stopped
// from outside), FormDeactivate() releases the pin, and
// ignore_system_command() says whether a window-system command (a caption drag)
// is to be swallowed while the dialog is pinned. place() is the dialog's
// position rule over the main window, as a pure function the view applies
// each time it shows the dialog.
#pragma once

#include <functional>
#include <string>

#include "core/link/shared_state.h"

namespace qvt::transfer {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct ProgressPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int button_left = 0;  // Abort button's left edge inside the dialog
    friend bool operator==(const ProgressPlacement&, const ProgressPlacement&) = default;
};

// The system command of a caption drag.
inline constexpr int kScDragMove = 0xF012;

class ProgressModel {
  public:
    explicit ProgressModel(link::SharedState& state) : state_(state) {}

    std::function<void()> on_change;

    // ---- the transfer's side -------------------------------------------------
    // Pins the dialog, sets caption and labels (Label1 empty) and shows it.
    void show_for(const std::string& caption, const std::string& file_name,
                  const std::string& activity);
    void set_count(long count) { set_label1(std::to_string(count)); }
    void set_label1(const std::string& text);
    void hide();
    // The main window under the dialog: disabled while a transfer runs.
    void set_main_window_enabled(bool on);

    // ---- the view's side -----------------------------------------------------
    void Button1Click() { state_.abort_request = 1; }
    void FormDeactivate();
    // True when the view must swallow this system command: a caption drag
    // (hit_caption: the cursor is on the caption) while the dialog is pinned.
    bool ignore_system_command(int command, bool hit_caption) const {
        return command == kScDragMove && hit_caption && pinned_;
    }
    static ProgressPlacement place(const Rect& main_window, int button_width);

    // ---- what the view draws -------------------------------------------------
    bool visible() const { return visible_; }
    bool pinned() const { return pinned_; }
    bool main_window_enabled() const { return main_window_enabled_; }
    const std::string& caption() const { return caption_; }
    const std::string& label1() const { return label1_; }  // running count
    const std::string& label2() const { return label2_; }  // file name
    const std::string& label3() const { return label3_; }  // activity
    const std::string& button_caption() const { return button_; }

  private:
    void changed() {
        if (on_change) on_change();
    }

    link::SharedState& state_;
    bool visible_ = false;
    bool pinned_ = false;
    bool main_window_enabled_ = true;
    std::string caption_;
    std::string label1_;
    std::string label2_;
    std::string label3_;
    std::string button_ = "Abort";
};

}  // namespace qvt::transfer
