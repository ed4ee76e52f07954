// TForm15: the "Window Switch" list, a view of desktop::WindowSwitch.
//
// How it works: a small stay-on-top tool window belonging to the main window
// (so it never lists itself), holding one report-view list. refresh() renders
// the model's items and selection; keys pressed in the list, the release of
// Alt and double clicks go to the model. When the window is activated after
// Alt has already been let go (the key's release reached another window
// while the switch was opening), that counts as the release.
#pragma once

#include <QWidget>
#include <functional>

#include "core/desktop/window_switch.h"

class QTreeWidget;

namespace qvt::gui {

class WindowSwitchWindow : public QWidget, public desktop::WindowSwitchView {
    Q_OBJECT
  public:
    WindowSwitchWindow(desktop::WindowSwitch& model, QWidget* main_window,
                       std::function<void()> focus_terminal);
    ~WindowSwitchWindow() override;

    QTreeWidget* list() { return list_; }

    void refresh() override;
    void show_switch(const std::string& caption) override;
    void hide_switch() override;
    void focus_terminal() override { focus_terminal_(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    desktop::WindowSwitch& model_;
    std::function<void()> focus_terminal_;
    QTreeWidget* list_ = nullptr;
    bool rendering_ = false;
};

}  // namespace qvt::gui
