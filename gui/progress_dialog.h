// The progress dialog TForm4 of the transfers, as a view of
// transfer::ProgressModel.
//
// How it works: the model says what shows (caption, the three labels, whether
// the dialog is up, whether the main window under it takes input); every
// change of it ends in sync(), which redraws the labels, shows or hides the
// dialog and enables or disables the main window. Each time the dialog comes
// up it is placed over the main window by the model's placement rule, the
// Abort button centred (five pixels left of the middle) at the rule's edge.
//
// The dialog stays on top of the other windows, has a thin border and a
// caption without buttons, and is a top-level window of its own rather than a
// child of the main window, so disabling the main window leaves it usable; it
// is only marked transient for the main window, so the window manager keeps
// the two together.
//
// The user's actions go back to the model: Abort to Button1Click, losing
// activation to FormDeactivate. A caption drag is the window manager's move,
// which the program only learns of afterwards: while the model says a drag is
// to be ignored (the dialog is pinned), every move the program did not make
// itself is undone by moving the dialog back to where it was placed. On X11
// the window manager takes the keyboard for the length of a drag, which
// arrives as a loss of activation and a return of it when the drag ends; so a
// loss of activation only counts when another window of the program becomes
// active or when it lasts 1.5 seconds (a drag held longer than that
// goes through). Esc and closing from the window manager do nothing; the
// transfer hides the dialog.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QTimer>

#include "core/transfer/progress.h"

class QFrame;
class QLabel;
class QPushButton;

namespace qvt::gui {

class ProgressDialog : public QDialog {
    Q_OBJECT

  public:
    // main_window: the window the dialog is placed over and disables.
    ProgressDialog(transfer::ProgressModel& model, QWidget* main_window);
    ~ProgressDialog() override;

    // The model changed: redraw, show or hide, enable the main window.
    void sync();

    QLabel* label1() { return label1_; }  // running count
    QLabel* label2() { return label2_; }  // file name
    QLabel* label3() { return label3_; }  // activity
    QPushButton* button1() { return button1_; }

    static constexpr int kDesignWidth = 549;
    static constexpr int kDesignHeight = 114;
    static constexpr int kButtonWidth = 81;
    static constexpr int kButtonHeight = 25;

  public slots:
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void place();
    void lay_out(int width, int button_left);

    transfer::ProgressModel& model_;
    QWidget* main_window_;
    QFrame* panel_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label3_;
    QPushButton* button1_;
    QTimer deactivate_timer_;
    QPoint placed_;
    bool moving_back_ = false;
};

}  // namespace qvt::gui
