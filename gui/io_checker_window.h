// The "IO Checker" window as a Qt dialog: a view of iocheck::IoChecker.
//
// How it works: the model runs the window through its show_modal hook (this
// window's exec()) and closes it through close_window. Being shown starts the
// model's activation from the event loop, so the dialog is on the screen
// while the outputs are read. Every control forwards to the model (clicks,
// the keys of the output buttons, scroll-bar moves, the view boxes); the
// model's change notices repaint only the part named, so a lamp is redrawn
// only when its state changed. The window has no close box: Cancel or Esc
// close it, through the model, which ends a read under way at once.
//
// The lamp pictures (16 x 12: red and dark for outputs, green and dark for
// inputs) are drawn here once.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <array>

#include "core/iocheck/io_checker.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace qvt::gui {

class IoCheckerWindow : public QDialog {
    Q_OBJECT

  public:
    IoCheckerWindow(iocheck::IoChecker& model, QWidget* parent = nullptr);
    ~IoCheckerWindow() override;

    QPushButton* out_button(int i) { return out_.at(static_cast<std::size_t>(i)); }
    QScrollBar* out_scroll() { return out_sb_; }
    QScrollBar* in_scroll() { return in_sb_; }
    QPushButton* cancel_button() { return cancel_; }
    QPushButton* clear_button() { return clear_; }
    QCheckBox* cunet_box() { return slnk_; }
    QCheckBox* memio_box() { return memio_; }

  public slots:
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_half(bool outputs, int top);
    void show_part(iocheck::IoPart part, int index);
    void show_scroll(QScrollBar* bar, const iocheck::ScrollState& state);

    iocheck::IoChecker& model_;
    QPixmap red_on_, red_off_, green_on_, green_off_;
    std::array<QPushButton*, iocheck::kShown> out_{};
    std::array<QLabel*, iocheck::kShown> out_lamp_{};
    std::array<QLabel*, iocheck::kShown> in_{};
    std::array<QLabel*, iocheck::kShown> in_lamp_{};
    std::array<QLabel*, iocheck::kRows> out_bank_{}, in_bank_{}, out_data_{}, in_data_{};
    QScrollBar* out_sb_ = nullptr;
    QScrollBar* in_sb_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* clear_ = nullptr;
    QCheckBox* slnk_ = nullptr;
    QCheckBox* memio_ = nullptr;
    QLabel* panel8_ = nullptr;
    QLabel* panel6_ = nullptr;
    bool updating_ = false;
};

}  // namespace qvt::gui
