// The floating "Variable Watch" window TForm9: a view of debug::Watch.
//
// How it works: the window stays on top of the others and shows the model's
// poll text, fields and status panels; every change of the model redraws
// them (the poll text only when it changed, so a watch polling every 250 ms
// does not re-lay the text out for each status word). What the user does goes
// to the model: field edits through its setters, the buttons, the keys (the
// window previews every key of its controls, as the model's key rules act
// window-wide), showing, closing, and activation changes: a click on the main
// window deactivates this one, which stops a running watch. The model asks
// the window back through its view hooks (show, close, focus Start/Stop, drop
// the variable list, activate the main window, whether the terminal holds the
// focus).
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "core/console/console.h"
#include "core/debug/watch.h"
#include "core/startup/profile.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace qvt::gui {

class WatchWindow : public QWidget {
    Q_OBJECT

  public:
    WatchWindow(debug::Watch& model, console::Console& console, QWidget* main_window);
    ~WatchWindow() override;

    // The profile's "Watch" and "Form9" values: applied after reading,
    // collected before writing.
    void load_profile(const startup::ProfileValues& profile);
    void store_profile(startup::ProfileValues& profile) const;

    QPlainTextEdit* memo() { return memo_; }
    QComboBox* variable_field() { return variable_; }
    QPushButton* start_button() { return start_; }
    QLabel* status(int panel) { return status_.at(static_cast<std::size_t>(panel)); }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void set_view_hooks();
    void show_model();

    debug::Watch& model_;
    console::Console& console_;
    QWidget* main_window_;
    QPlainTextEdit* memo_ = nullptr;
    QComboBox* variable_ = nullptr;
    QComboBox* interval_ = nullptr;
    std::array<QRadioButton*, 3> print_{};
    QCheckBox* repeat_ = nullptr;
    QCheckBox* task_mon_ = nullptr;
    QPushButton* start_ = nullptr;
    std::array<QLabel*, 2> status_{};
    std::string shown_memo_;
    bool updating_ = false;
};

}  // namespace qvt::gui
