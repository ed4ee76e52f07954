// A plain main window for the terminal: the view fills it, a status bar
// below, the hidden request field behind. It wires the control's events to the
// receive handler and types keys straight through to the controller; menus,
// pages and the screen editor come with the full console window, which
// replaces this one.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <memory>

#include "core/link/dialogue.h"
#include "core/link/receive.h"
#include "core/link/request_field.h"
#include "core/link/shared_state.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_pump.h"
#include "gui/qt_terminal_control.h"
#include "gui/terminal_view.h"

namespace qvt::gui {

class MainWindow : public QMainWindow, public link::ReceiveHooks, public link::RequestHooks {
    Q_OBJECT

  public:
    MainWindow(link::SharedState& state, QtTerminalControl& term, QtEventPump& pump,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    TerminalView& view() { return *view_; }
    QtDialogs& dialogs() { return dialogs_; }
    link::Dialogue& dialogue() { return dialogue_; }
    // What the request socket delivers: it becomes the request field's text.
    void set_request_text(const std::string& text);
    // Shows where the port is, in status panel 1.
    void set_port_caption(const QString& caption);

    // ReceiveHooks
    void termmode_menu_enable() override;
    void show_rx_chunk(int n) override;
    bool break_point_window_visible() override { return false; }
    void close_break_point_window() override {}
    void Break_Point_Set_Controls() override {}
    void Break_Point(int) override {}
    void set_break_checkbox(bool) override {}

    // RequestHooks
    void Load68k() override;
    void CommKeyDown(int& key, platform::ShiftState shift) override;
    void set_Prg_File(const std::string& path) override { prg_file_ = path; }

  private:
    void on_comm();
    void on_key_press(char& key);
    void on_port_lost(int comm_event);
    void set_lamp(const QColor& color);

    link::SharedState& state_;
    QtTerminalControl& term_;
    QtEventPump& pump_;
    QtDialogs dialogs_;
    link::Dialogue dialogue_;
    link::ReceiveProcessor receive_;
    link::RequestField request_;
    TerminalView* view_ = nullptr;
    QLineEdit* request_edit_ = nullptr;  // MaskEdit1: behind the terminal, never shown
    QLabel* panel_port_ = nullptr;
    QLabel* panel_rx_ = nullptr;
    QLabel* panel_lamp_ = nullptr;
    QLabel* panel_hint_ = nullptr;
    std::string prg_file_;
};

}  // namespace qvt::gui
