// The "Break Point" window TForm_BreakPoint as a Qt window: a view of
// debug::BreakPoints.
//
// How it works: a tool window that stays on top of the main window without
// being modal. The model says what changed and the window redraws that part:
// shown or hidden, the eight rows (white when the controller confirmed the
// row, the button face when not), the memo with the controller's last reply,
// the status text, the enabled buttons and the "Break" box. Clicks, Esc, F8,
// activation and the close box go to the model's handlers; the close box only
// asks, and the window hides when the model says so, so the refusal at the
// break prompt holds for every way of closing. "Break" shows the model's
// state and takes no clicks: only the controller's break prompt ticks it.
#pragma once

#include <QDialog>
#include <array>

#include "core/debug/break_points.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qvt::gui {

class BreakPointWindow : public QDialog {
    Q_OBJECT

  public:
    // terminal takes the focus when the model sends it back to the terminal.
    BreakPointWindow(debug::BreakPoints& model, QWidget* terminal, QWidget* parent = nullptr);
    ~BreakPointWindow() override;

    QLineEdit* row(int k) { return rows_.at(static_cast<std::size_t>(k)); }
    QPushButton* clear_button(int k) { return clear_.at(static_cast<std::size_t>(k)); }
    QPushButton* list_button(int k) { return list_.at(static_cast<std::size_t>(k)); }
    QPushButton* set_button() { return set_; }
    QPushButton* reset_button() { return reset_; }
    QPushButton* cancel_button() { return cancel_; }
    QPushButton* cont_button() { return cont_; }
    QPushButton* trace_button() { return trace_; }
    QCheckBox* break_box() { return break_; }
    QPlainTextEdit* memo() { return memo_; }
    QLabel* status() { return status_; }

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void changed(debug::BpChange what);
    void show_rows();
    void show_controls();
    void show_focus();

    debug::BreakPoints& model_;
    QWidget* terminal_;
    std::array<QLineEdit*, debug::kBreakRows> rows_{};
    std::array<QPushButton*, debug::kBreakRows> clear_{};
    std::array<QPushButton*, debug::kBreakRows> list_{};
    QGroupBox* table_;
    QGroupBox* bkp_;
    QPushButton* set_;
    QPushButton* reset_;
    QPushButton* cancel_;
    QPushButton* cont_;
    QPushButton* trace_;
    QCheckBox* break_;
    QPlainTextEdit* memo_;
    QLabel* status_;
};

}  // namespace qvt::gui
