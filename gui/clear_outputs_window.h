// The "CLR_OUTP" dialog TForm10 as a Qt dialog: a view of
// debug::ClearOutputs.
//
// How it works: the model runs the dialog through its show_modal hook, which
// this window sets to its own exec(). Every showing runs the model's
// FormActivate and shows the model's boxes, so the ticks are the ones left
// by the last opening; a click on a box goes straight to the model, whose
// change puts the new command into the status panel at once. Ok runs the
// model's Button1Click and closes with OK; Cancel and Esc only close.
#pragma once

#include <QDialog>
#include <array>

#include "core/debug/clear_outputs.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace qvt::gui {

class ClearOutputsWindow : public QDialog {
    Q_OBJECT

  public:
    ClearOutputsWindow(debug::ClearOutputs& model, QWidget* parent = nullptr);
    ~ClearOutputsWindow() override;

    QCheckBox* box(int area) { return boxes_.at(static_cast<std::size_t>(area)); }
    QLabel* status() { return status_; }
    QPushButton* ok_button() { return ok_; }
    QPushButton* cancel_button() { return cancel_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void show_model();

    debug::ClearOutputs& model_;
    std::array<QCheckBox*, debug::kOutputAreas> boxes_{};
    QLabel* status_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace qvt::gui
