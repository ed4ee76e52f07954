// The settings dialog TForm7 as a Qt dialog: a view of startup::SettingsDialog.
//
// How it works: every time the dialog is shown it runs FormActivate and shows
// the controls' copy; "Select" and "Ok" first take what the user typed into
// that copy, then call the model. "Cancel" and Esc only close the dialog.
// (Returning from the Select file dialog does not count as an activation,
// or the chosen path would be overwritten before Ok.)
#pragma once

#include <QDialog>

#include "core/startup/settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace qvt::gui {

class SettingsWindow : public QDialog {
    Q_OBJECT

  public:
    SettingsWindow(startup::SettingsDialog& model, QWidget* parent = nullptr);

    QLineEdit* edit1() { return edit1_; }
    QLineEdit* edit2() { return edit2_; }
    QCheckBox* check1() { return check1_; }
    QCheckBox* check2() { return check2_; }
    QLineEdit* edit3() { return edit3_; }
    QPushButton* ok_button() { return button1_; }
    QPushButton* cancel_button() { return button2_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void show_controls();
    void take_controls();

    startup::SettingsDialog& model_;
    QLineEdit* edit1_;
    QLineEdit* edit2_;
    QCheckBox* check1_;
    QCheckBox* check2_;
    QLineEdit* edit3_;
    QPushButton* button1_;
    QPushButton* button2_;
};

}  // namespace qvt::gui
