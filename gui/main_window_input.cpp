// What the user does in the main window, handed to the console and the
// transfers: the key preview, the input method, the tab strip, the lists, the
// IME box and dropped files.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "core/console/virtual_keys.h"
#include "core/transfer/transfers.h"
#include "gui/key_map.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

using console::Focus;
using console::ListId;
using console::Page;

namespace {

// The keyboard's menu key, which the histories take for Enter.
constexpr int kContextMenuKey = 93;

int key_code(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Menu) return kContextMenuKey;
    return virtual_key_of_event(event->key(), event->text());
}

// The local files of a drop, in drop order; empty when anything else is in it.
std::vector<std::string> dropped_files(const QMimeData* data) {
    std::vector<std::string> names;
    if (data == nullptr || !data->hasUrls()) return names;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        names.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return names;
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // The window previews the key once, at the widget that has the focus.
        if (widget != nullptr && widget->window() == this &&
            widget == QApplication::focusWidget()) {
            if (preview_key(static_cast<QKeyEvent*>(event))) return true;
        }
        auto* key_event = static_cast<QKeyEvent*>(event);
        if (watched == ime_box_) return ime_box_key(key_event);
        if (watched == label_list_) return label_list_key(key_event);
        for (std::size_t i = 0; i < lists_.size(); ++i) {
            if (watched == lists_[i]) return list_key(static_cast<ListId>(i), key_event);
        }
        return false;
    }
    if (type == QEvent::InputMethod && watched != ime_box_) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            return preview_input_method(watched, static_cast<QInputMethodEvent*>(event));
        }
        return false;
    }
    if (type == QEvent::FocusIn) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            focus_in(widget, static_cast<QFocusEvent*>(event)->reason());
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress && watched == pages_->tabBar()) {
        return tab_bar_mouse(static_cast<QMouseEvent*>(event));
    }
    if (type == QEvent::MouseButtonRelease && watched == label_list_->viewport() &&
        transfers_ != nullptr && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // ListView1Click may open a box and read a file; it runs once the
        // click is over.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (transfers_ != nullptr) transfers_->labels.ListView1Click();
            },
            Qt::QueuedConnection);
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::preview_key(QKeyEvent* event) {
    int key = key_code(event);
    if (key == 0) return false;
    console_.keyboard.FormKeyDown(key, shift_state(event->modifiers()));
    return key == 0;
}

bool MainWindow::preview_input_method(QObject* watched, QInputMethodEvent* event) {
    // Composition starting is the "IME processing key" of the window preview.
    if (event->preeditString().isEmpty()) return false;
    if (QApplication::focusWidget() != watched) return false;
    int key = console::vk::kProcessKey;
    console_.keyboard.FormKeyDown(key, {});
    if (key != 0) return false;  // terminal mode: the terminal takes it
    if (console_.shell.ime_box_visible()) {
        // The box took the focus; the composition continues there.
        QCoreApplication::sendEvent(ime_box_, event);
    }
    return true;
}

void MainWindow::focus_in(QWidget* widget, Qt::FocusReason reason) {
    if (applying_focus_) return;
    // Only a move the user made counts; focus returning with the window (after
    // a message box) or set by code is not a move.
    if (reason != Qt::MouseFocusReason && reason != Qt::TabFocusReason &&
        reason != Qt::BacktabFocusReason && reason != Qt::ShortcutFocusReason) {
        return;
    }
    const Focus place = place_of(widget);
    if (place == console_.shell.focus()) return;
    console_.shell.set_focus(place);
    if (console_.shell.focus() != place) sync_focus();
}

bool MainWindow::tab_bar_mouse(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return true;
    const int index = pages_->tabBar()->tabAt(event->position().toPoint());
    if (index < 0) return true;
    auto& shell = console_.shell;
    if (index != pages_->currentIndex() && !shell.PageControl1Changing(static_cast<Page>(index))) {
        return true;
    }
    shell.PageControl1MouseDown();
    return true;
}

bool MainWindow::list_key(ListId id, QKeyEvent* event) {
    int key = key_code(event);
    if (key == 0) return false;
    const auto shift = shift_state(event->modifiers());
    if (id == ListId::ListBox1) {
        console_.commands.ListBox1KeyDown(key, shift);
        if (key == 0) return true;
        // Enter opens the entry, as a double click does.
        if (key == console::vk::kReturn) return true;
        return false;
    }
    if (transfers_ != nullptr) {
        transfers_->histories.ListKeyDown(id, key, shift);
        return key == 0;
    }
    if (key == console::vk::kEscape) {
        console_.shell.focus_terminal();
        return true;
    }
    return false;
}

bool MainWindow::label_list_key(QKeyEvent* event) {
    if (transfers_ != nullptr) {
        int key = key_code(event);
        if (key == 0) return false;
        transfers_->labels.ListView1KeyDown(key, shift_state(event->modifiers()));
        return key == 0;
    }
    if (event->key() == Qt::Key_Escape) {
        console_.shell.focus_terminal();
        return true;
    }
    return false;
}

bool MainWindow::ime_box_key(QKeyEvent* event) {
    char key = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) key = '\r';
    if (event->key() == Qt::Key_Escape) key = '\x1b';
    if (key == 0) return false;
    console_.keyboard.Edit4KeyPress(key, to_sjis(ime_box_->text()));
    return key == 0;
}

void MainWindow::list_selection_from_view(ListId id) {
    if (syncing_lists_) return;
    QListWidget* list = lists_[size_t(id)];
    console::ListModel& model = console_.shell.list(id);
    lists_from_view_ = true;
    for (int r = 0; r < list->count() && r < model.count(); ++r) {
        if (model.selected(r) != list->item(r)->isSelected()) {
            model.set_selected(r, list->item(r)->isSelected());
        }
    }
    lists_from_view_ = false;
}

void MainWindow::label_selection_from_view() {
    if (syncing_lists_) return;
    const auto items = label_list_->selectedItems();
    lists_from_view_ = true;
    console_.shell.labels().set_selected(
        items.isEmpty() ? -1 : label_list_->indexOfTopLevelItem(items.front()));
    console_.shell.labels().set_focused(
        label_list_->indexOfTopLevelItem(label_list_->currentItem()));
    lists_from_view_ = false;
}

// ---- dropped files ----------------------------------------------------------------

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (transfers_ != nullptr && !dropped_files(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (transfers_ != nullptr && !dropped_files(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> names = dropped_files(event->mimeData());
    if (transfers_ == nullptr || names.empty()) return;
    event->acceptProposedAction();
    // The drop is released first; the load it starts runs from the event loop.
    QMetaObject::invokeMethod(
        this,
        [this, names = std::move(names)] {
            if (transfers_ != nullptr) transfers_->drops.FilesDropped(names);
        },
        Qt::QueuedConnection);
}

}  // namespace qvt::gui
