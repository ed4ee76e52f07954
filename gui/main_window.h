// The main terminal window TForm3: the terminal pane above a splitter, the tab
// pages of the histories, labels and debug log below, the main menu, and the
// status bar with the activity lamp.
//
// How it works: the window is a view of console::MainShell. It builds its
// menu bar and tab strip by walking the console's tables, redraws the part of
// itself that the shell names in on_change, and hands every user action to the
// console: menu choices to console.menu, keys first to the keyboard's window
// preview (an application event filter sees each key before the focused
// widget) and then, on the terminal, to the terminal control's key events;
// tab clicks, focus moves, list keys and double clicks to the shell and the
// command history. Focus has one owner, the shell: a focus move that the user
// made (click, Tab) is reported to it, and whatever focus it then decides is
// applied to the widgets; focus coming back after a message box is not a move.
//
// The transfers take the file histories' and the label list's
// keys, clicks and double clicks, the files dropped on the window (accepted
// when they are local files, handed over in drop order once the drop is
// over), and pop up the history's action menu PopupMenu1 on request.
//
// An input method that starts composing on the terminal is the Windows "IME
// processing key": the keyboard either closes the input method or opens the
// yellow IME box at the bottom of the terminal, which then takes the
// composition.
#pragma once

#include <QMainWindow>
#include <array>
#include <memory>

#include "core/session/session.h"
#include "gui/qt_terminal_control.h"
#include "gui/terminal_view.h"

class QAction;
class QFrame;
class QMenu;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace qvt::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    MainWindow(session::Session& session, QtTerminalControl& term, QWidget* parent = nullptr);
    ~MainWindow() override;

    console::Console& console() { return console_; }
    console::MainShell& shell() { return console_.shell; }
    link::ReceiveProcessor& receive() { return session_.receive; }
    TerminalView& view() { return *view_; }
    // What the request socket delivers: it becomes the request field's text.
    void set_request_text(const std::string& text);

    // PopupMenu1 at the histories' position over this window.
    void show_file_menu();
    QMenu* file_menu() { return file_menu_; }
    // Panel2: the lower panel holding the pages.
    QWidget* lower_panel();

    // The window laid out once without being seen, as the launcher does before
    // anything is connected.
    void park();
    int tab_area_height() const;
    void set_tab_area_height(int height);

    // Widgets, for the application and the tests.
    QAction* action(console::MenuItem item) { return actions_[size_t(index_of(item))]; }
    QTabWidget* pages() { return pages_; }
    QListWidget* list(console::ListId id) { return lists_[size_t(id)]; }
    QTreeWidget* label_list() { return label_list_; }
    QPlainTextEdit* memo() { return memo_; }
    QPushButton* debug_button() { return debug_button_; }
    QLineEdit* ime_box() { return ime_box_; }
    QFrame* lamp() { return lamp_; }
    QLabel* status_panel(int panel) { return status_[size_t(panel)]; }
    QPushButton* connect_button() { return connect_button_; }

    void close_input_method();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void build_menu();
    void build_pages();
    void build_status_bar();
    void build_file_menu();
    void wire_terminal();

    // Shell -> widgets.
    void on_shell_change(console::ShellChange what);
    void sync_menu();
    void sync_pages();
    void sync_focus();
    void sync_lamp();
    void sync_status();
    void sync_memo();
    void sync_lists();
    void sync_ime();
    void sync_window();
    QWidget* widget_of(console::Focus place);
    console::Focus place_of(const QWidget* widget) const;

    // Widgets -> shell (main_window_input.cpp).
    bool preview_key(QKeyEvent* event);
    bool preview_input_method(QObject* watched, QInputMethodEvent* event);
    bool tab_bar_mouse(QMouseEvent* event);
    bool list_key(console::ListId id, QKeyEvent* event);
    bool label_list_key(QKeyEvent* event);
    bool ime_box_key(QKeyEvent* event);
    void focus_in(QWidget* widget, Qt::FocusReason reason);
    void list_selection_from_view(console::ListId id);
    void label_selection_from_view();

    session::Session& session_;
    link::SharedState& state_;
    QtTerminalControl& term_;
    console::Console& console_;
    transfer::Transfers* const transfers_;

    TerminalView* view_ = nullptr;
    QWidget* panel3_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTabWidget* pages_ = nullptr;
    std::array<QListWidget*, 4> lists_{};
    QTreeWidget* label_list_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* debug_button_ = nullptr;
    QLineEdit* ime_box_ = nullptr;
    QLineEdit* request_edit_ = nullptr;  // MaskEdit1: behind the panels, never seen
    QPushButton* connect_button_ = nullptr;
    QFrame* lamp_ = nullptr;
    std::array<QLabel*, 4> status_{};
    std::array<QAction*, console::kMenuItemCount> actions_{};
    QMenu* file_menu_ = nullptr;

    int pending_tab_height_ = -1;
    bool resize_pending_ = false;
    bool applying_focus_ = false;
    bool lists_from_view_ = false;
    bool syncing_lists_ = false;
};

}  // namespace qvt::gui
