// The launcher TForm1 as a Qt window: a view of startup::Launcher.
//
// How it works: the window draws what the model holds (status panels, the
// USB-RS list, the port field, the baud choice, the focus) whenever the model
// reports a change, and forwards clicks, typing and keys as the model's
// handler calls. Esc is the Exit button. The model decides everything,
// including what closing the window means.
#pragma once

#include <QWidget>

#include "core/startup/launcher.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace qvt::gui {

class LauncherWindow : public QWidget {
    Q_OBJECT

  public:
    explicit LauncherWindow(startup::Launcher& model, QWidget* parent = nullptr);

    QListWidget* list() { return list_box1_; }
    QComboBox* port_field() { return combo_box1_; }
    QRadioButton* baud_radio(int index) { return index == 0 ? baud_38400_ : baud_115200_; }
    QPushButton* button(int number);
    QLabel* status_panel(int panel) { return status_[panel]; }

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void on_change(startup::LauncherChange what);

    startup::Launcher& model_;
    QListWidget* list_box1_;
    QComboBox* combo_box1_;
    QRadioButton* baud_38400_;
    QRadioButton* baud_115200_;
    QPushButton* buttons_[10] = {};
    QLabel* status_[3] = {};
    bool syncing_ = false;
};

}  // namespace qvt::gui
