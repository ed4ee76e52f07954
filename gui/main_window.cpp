#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/transfer/transfers.h"
#include "gui/fonts.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

using console::Focus;
using console::ListId;
using console::MenuItem;
using console::Page;
using console::ShellChange;

namespace {

constexpr int kSplitterHeight = 5;

QColor lamp_color(console::Lamp lamp) {
    const console::Rgb rgb = console::lamp_rgb(lamp);
    return {rgb.r, rgb.g, rgb.b};
}

QString sjis_text(std::string_view bytes) {
    return from_sjis(std::string(bytes));
}

}  // namespace

MainWindow::MainWindow(session::Session& session, QtTerminalControl& term, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      state_(session.state),
      term_(term),
      console_(session.console),
      transfers_(&session.transfers) {
    setWindowTitle(QStringLiteral("QVTW2K"));
    setFont(window_font());

    // Panel1: the terminal pane (Panel3) above the splitter, the pages (Panel2) below.
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setHandleWidth(kSplitterHeight);
    splitter_->setChildrenCollapsible(false);
    panel3_ = new QWidget(splitter_);
    auto* panel3_layout = new QVBoxLayout(panel3_);
    panel3_layout->setContentsMargins(0, 0, 0, 0);
    view_ = new TerminalView(term_, panel3_);
    panel3_layout->addWidget(view_);
    ime_box_ = new QLineEdit(panel3_);
    ime_box_->setStyleSheet(QStringLiteral("background: yellow"));
    ime_box_->setFont(view_->terminal_font());
    ime_box_->hide();
    auto* panel2 = new QFrame(splitter_);
    panel2->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel2->setLineWidth(1);
    auto* panel2_layout = new QVBoxLayout(panel2);
    panel2_layout->setContentsMargins(1, 1, 1, 1);
    pages_ = new QTabWidget(panel2);
    panel2_layout->addWidget(pages_);
    splitter_->addWidget(panel3_);
    splitter_->addWidget(panel2);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    setCentralWidget(splitter_);

    request_edit_ = new QLineEdit(this);
    request_edit_->hide();
    connect_button_ = new QPushButton(QStringLiteral("ComPort Connect"), panel3_);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(16);
    connect_button_->setFont(bold);
    connect_button_->adjustSize();
    connect_button_->move(0, 0);
    connect_button_->hide();

    build_menu();
    build_pages();
    build_status_bar();
    build_file_menu();
    wire_terminal();
    setAcceptDrops(true);
    qApp->installEventFilter(this);

    console_.shell.on_change = [this](ShellChange what) { on_shell_change(what); };
    console_.shell.hooks.close_window = [this] { close(); };
    for (ShellChange what :
         {ShellChange::Menu, ShellChange::Pages, ShellChange::Lamp, ShellChange::Status,
          ShellChange::Memo, ShellChange::Lists, ShellChange::Ime, ShellChange::Window}) {
        on_shell_change(what);
    }
    resize(858, 669);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    term_.OnComm = nullptr;
    term_.OnKeyDown = nullptr;
    term_.OnKeyPress = nullptr;
    term_.OnKeyUp = nullptr;
    console_.shell.on_change = nullptr;
}

void MainWindow::build_menu() {
    std::array<QMenu*, console::kTopMenuCaptions.size()> menus{};
    for (std::size_t i = 0; i < menus.size(); ++i) {
        menus[i] = menuBar()->addMenu(sjis_text(console::kTopMenuCaptions[i]));
    }
    for (const auto& entry : console::kMenuTable) {
        // The text after the tab is the reminder of the key or command, shown
        // right-aligned; the entries carry no shortcuts of their own.
        QAction* action = menus[size_t(entry.top_menu)]->addAction(sjis_text(entry.caption));
        const MenuItem item = entry.item;
        connect(action, &QAction::triggered, this, [this, item] { console_.menu.activate(item); });
        actions_[size_t(index_of(item))] = action;
        if (entry.separator_after) menus[size_t(entry.top_menu)]->addSeparator();
    }
}

void MainWindow::build_pages() {
    pages_->setFocusPolicy(Qt::NoFocus);
    pages_->tabBar()->setFocusPolicy(Qt::NoFocus);
    const QFont lists_font = list_font();

    label_list_ = new QTreeWidget;
    label_list_->setColumnCount(2);
    label_list_->setHeaderLabels({QStringLiteral("Label"), QStringLiteral("Line")});
    label_list_->setRootIsDecorated(false);
    label_list_->setSelectionMode(QAbstractItemView::SingleSelection);
    label_list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    label_list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    label_list_->setFont(lists_font);
    label_list_->setAttribute(Qt::WA_InputMethodEnabled, false);
    QHeaderView* header = label_list_->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->resizeSection(0, 300);
    header->resizeSection(1, 150);
    connect(label_list_, &QTreeWidget::itemSelectionChanged, this,
            [this] { label_selection_from_view(); });
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        if (transfers_ != nullptr) transfers_->labels.ListView1ColumnClick(column);
    });
    connect(label_list_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (transfers_ != nullptr) transfers_->labels.ListView1DblClick();
    });

    for (std::size_t i = 0; i < lists_.size(); ++i) {
        auto* list = new QListWidget;
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setFont(lists_font);
        // The history lists take no input-method text (IME off).
        list->setAttribute(Qt::WA_InputMethodEnabled, false);
        const auto id = static_cast<ListId>(i);
        connect(list, &QListWidget::itemSelectionChanged, this,
                [this, id] { list_selection_from_view(id); });
        connect(list, &QListWidget::currentRowChanged, this, [this, id](int row) {
            if (syncing_lists_) return;
            lists_from_view_ = true;
            console_.shell.list(id).set_current(row);
            lists_from_view_ = false;
        });
        lists_[i] = list;
    }
    connect(lists_[0], &QListWidget::itemDoubleClicked, this,
            [this] { console_.commands.ListBox1DblClick(); });
    for (const ListId id : {ListId::ListBox2, ListId::ListBox3, ListId::ListBox4}) {
        connect(lists_[size_t(id)], &QListWidget::itemDoubleClicked, this, [this, id] {
            if (transfers_ != nullptr) transfers_->histories.ListDblClick(id);
        });
    }

    auto* debug_page = new QWidget;
    auto* debug_layout = new QHBoxLayout(debug_page);
    debug_layout->setContentsMargins(0, 0, 0, 0);
    memo_ = new QPlainTextEdit(debug_page);
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setFont(lists_font);
    debug_layout->addWidget(memo_, 1);
    auto* strip = new QWidget(debug_page);
    strip->setFixedWidth(65);
    debug_button_ = new QPushButton(QStringLiteral("Button1"), strip);
    debug_button_->setGeometry(12, 8, 41, 17);
    debug_layout->addWidget(strip);
    connect(debug_button_, &QPushButton::clicked, this, [this] { console_.shell.Button1Click(); });

    // Tab order as the pages are numbered in console::Page.
    QWidget* contents[console::kPageCount] = {label_list_, lists_[0], lists_[1],
                                              lists_[2],   lists_[3], debug_page};
    for (int i = 0; i < console::kPageCount; ++i) {
        pages_->addTab(contents[i], sjis_text(console::kPageCaptions[size_t(i)]));
    }
}

void MainWindow::build_status_bar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFont(QFont());  // the system font
    // Panel 0 is covered by the lamp Panel5.
    lamp_ = new QFrame(bar);
    lamp_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lamp_->setFixedWidth(console::kStatusPanelWidths[0]);
    lamp_->setAutoFillBackground(true);
    layout->addWidget(lamp_);
    for (int i = 1; i < 4; ++i) {
        auto* label = new QLabel(bar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i == 1) label->setAlignment(Qt::AlignCenter);
        status_[size_t(i)] = label;
        layout->addWidget(label, i == 3 ? 1 : 0);
    }
    status_[3]->setMinimumWidth(console::kStatusPanelWidths[3]);
    status_[0] = nullptr;
    statusBar()->addWidget(bar, 1);
    lamp_->setFixedHeight(std::max(2, status_[1]->sizeHint().height() - 2));
}

void MainWindow::build_file_menu() {
    // PopupMenu1: never shown by a right click, only on the histories' request.
    file_menu_ = new QMenu(this);
    const auto add = [this](const char* caption, void (transfer::FileHistories::*handler)()) {
        QAction* action = file_menu_->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this, [this, handler] {
            if (transfers_ != nullptr) (transfers_->histories.*handler)();
        });
    };
    add("Load from File", &transfer::FileHistories::LOAD2Click);
    add("Save to File", &transfer::FileHistories::SAVE2Click);
    add("Edit File", &transfer::FileHistories::EDIT3Click);
    file_menu_->addSeparator();
    add("File Explorer", &transfer::FileHistories::Explorer1Click);
}

QWidget* MainWindow::lower_panel() {
    return splitter_->widget(1);
}

void MainWindow::show_file_menu() {
    const QRect frame = frameGeometry();
    const int panel2_top = lower_panel()->mapTo(this, QPoint(0, 0)).y();
    const transfer::PopupPosition at =
        transfer::FileHistories::popup_position(frame.x(), frame.y(), panel2_top);
    file_menu_->popup(QPoint(at.x, at.y));
}

void MainWindow::wire_terminal() {
    term_.OnComm = [this] { session_.receive.PDQComm1Comm(); };
    term_.OnKeyDown = [this](int& key, platform::ShiftState shift) {
        console_.keyboard.PDQComm1KeyDown(key, shift);
    };
    term_.OnKeyPress = [this](char& key) { console_.keyboard.PDQComm1KeyPress(key); };
    term_.OnKeyUp = [this](int& key, platform::ShiftState shift) {
        console_.keyboard.PDQComm1KeyUp(key, shift);
    };
    // Panel3Resize pumps pending events; a resize arrives in the middle of
    // showing or laying out the window, where that must not happen, so the
    // handler runs from the event loop once the layout has settled.
    view_->on_resized = [this](int) {
        if (resize_pending_) return;
        resize_pending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                resize_pending_ = false;
                console_.shell.Panel3Resize(view_->viewport()->width(),
                                            view_->viewport()->height());
            },
            Qt::QueuedConnection);
    };
}

void MainWindow::set_request_text(const std::string& text) {
    request_edit_->setText(from_sjis(text));
    session_.request.MaskEdit1Change(text);
}

// ---- lifecycle ---------------------------------------------------------------------

void MainWindow::park() {
    // Showing a window below the screen and hiding it again would flash it
    // on desktops that keep windows on the screen; laying it out is enough.
    ensurePolished();
    layout()->activate();
    console_.shell.FormShow();
    console_.shell.set_visible(false);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (pending_tab_height_ >= 0) set_tab_area_height(pending_tab_height_);
    if (!console_.shell.visible()) console_.shell.FormShow();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (!event->spontaneous()) console_.shell.set_visible(false);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing is never refused.
    event->accept();
    console_.shell.FormCloseQuery();
}

int MainWindow::tab_area_height() const {
    const QList<int> sizes = splitter_->sizes();
    return sizes.size() == 2 ? sizes[1] : 0;
}

void MainWindow::set_tab_area_height(int height) {
    pending_tab_height_ = isVisible() ? -1 : height;
    const int total = splitter_->height() - kSplitterHeight;
    splitter_->setSizes({std::max(0, total - height), height});
}

void MainWindow::close_input_method() {
    QGuiApplication::inputMethod()->reset();
    QGuiApplication::inputMethod()->hide();
}

// ---- shell -> widgets --------------------------------------------------------------

void MainWindow::on_shell_change(ShellChange what) {
    switch (what) {
        case ShellChange::Menu:
            return sync_menu();
        case ShellChange::Pages:
            return sync_pages();
        case ShellChange::Focus:
            return sync_focus();
        case ShellChange::Lamp:
            return sync_lamp();
        case ShellChange::Status:
            return sync_status();
        case ShellChange::Memo:
            return sync_memo();
        case ShellChange::Lists:
            return sync_lists();
        case ShellChange::Ime:
            return sync_ime();
        case ShellChange::Window:
            return sync_window();
        case ShellChange::CloseInputMethod:
            return close_input_method();
    }
}

void MainWindow::sync_menu() {
    for (const auto& entry : console::kMenuTable) {
        QAction* action = actions_[size_t(index_of(entry.item))];
        action->setEnabled(console_.shell.menu_enabled(entry.item));
        action->setVisible(console_.shell.menu_visible(entry.item));
    }
}

void MainWindow::sync_pages() {
    const auto& shell = console_.shell;
    pages_->setEnabled(shell.pages_enabled());
    const auto highlighted = shell.highlighted_page();
    for (int i = 0; i < console::kPageCount; ++i) {
        const auto page = static_cast<Page>(i);
        pages_->setTabVisible(i, shell.page_tab_visible(page));
        pages_->tabBar()->setTabTextColor(
            i, highlighted == page ? QColor(Qt::blue) : palette().color(QPalette::WindowText));
    }
    const QSignalBlocker block(pages_);
    pages_->setCurrentIndex(index_of(shell.current_page()));
}

QWidget* MainWindow::widget_of(Focus place) {
    switch (place) {
        case Focus::Terminal:
            return view_;
        case Focus::ListView1:
            return label_list_;
        case Focus::ListBox1:
        case Focus::ListBox2:
        case Focus::ListBox3:
        case Focus::ListBox4:
            return lists_[size_t(place) - size_t(Focus::ListBox1)];
        case Focus::Edit4:
            return ime_box_;
        case Focus::Other:
            break;
    }
    return nullptr;
}

Focus MainWindow::place_of(const QWidget* widget) const {
    if (widget == view_ || widget == view_->viewport()) return Focus::Terminal;
    if (widget == label_list_ || widget == label_list_->viewport()) return Focus::ListView1;
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        if (widget == lists_[i] || widget == lists_[i]->viewport()) {
            return static_cast<Focus>(size_t(Focus::ListBox1) + i);
        }
    }
    if (widget == ime_box_) return Focus::Edit4;
    return Focus::Other;
}

void MainWindow::sync_focus() {
    QWidget* target = widget_of(console_.shell.focus());
    if (target == nullptr || target->hasFocus()) return;
    // The tab page holding a list must show before the list can take the focus.
    if (target != view_ && target != ime_box_) {
        const int page = pages_->indexOf(target);
        if (page >= 0 && pages_->currentIndex() != page) pages_->setCurrentIndex(page);
    }
    applying_focus_ = true;
    target->setFocus(Qt::OtherFocusReason);
    applying_focus_ = false;
}

void MainWindow::sync_lamp() {
    QPalette palette = lamp_->palette();
    const auto lamp = console_.shell.lamp();
    palette.setColor(QPalette::Window, lamp == console::Lamp::Designed
                                           ? QApplication::palette().color(QPalette::Window)
                                           : lamp_color(lamp));
    lamp_->setPalette(palette);
}

void MainWindow::sync_status() {
    const auto& shell = console_.shell;
    for (int i = 1; i < 4; ++i) {
        status_[size_t(i)]->setText(from_sjis(shell.status_text(i)));
    }
    status_[1]->setFixedWidth(shell.status_width(1));
    status_[2]->setFixedWidth(shell.status_width(2));
    status_[2]->setVisible(shell.status_width(2) > 0);
}

void MainWindow::sync_memo() {
    QString text = QString::fromStdString(console_.shell.memo_text());  // UTF-8, as messages
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    memo_->setPlainText(text);
    memo_->moveCursor(QTextCursor::End);
}

void MainWindow::sync_lists() {
    if (lists_from_view_) return;
    syncing_lists_ = true;
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        const console::ListModel& model = console_.shell.list(static_cast<ListId>(i));
        QListWidget* list = lists_[i];
        // The command history holds typed lines (Shift-JIS); the file
        // histories hold file names (UTF-8).
        const auto shown = [i](const std::string& item) {
            return static_cast<ListId>(i) == ListId::ListBox1 ? from_sjis(item)
                                                              : QString::fromStdString(item);
        };
        const QSignalBlocker block(list);
        if (list->count() != model.count()) {
            list->clear();
            for (const auto& item : model.items())
                list->addItem(shown(item));
        } else {
            for (int r = 0; r < model.count(); ++r) {
                const QString text = shown(model.item(r));
                if (list->item(r)->text() != text) list->item(r)->setText(text);
            }
        }
        list->setCurrentRow(model.current(), QItemSelectionModel::NoUpdate);
        for (int r = 0; r < model.count(); ++r)
            list->item(r)->setSelected(model.selected(r));
    }
    const console::LabelListModel& labels = console_.shell.labels();
    const QSignalBlocker block(label_list_);
    bool same_rows = label_list_->topLevelItemCount() == labels.count();
    for (int r = 0; same_rows && r < labels.count(); ++r) {
        const auto& row = labels.rows()[size_t(r)];
        const QTreeWidgetItem* item = label_list_->topLevelItem(r);
        same_rows = item->text(0) == from_sjis(row.label) && item->text(1) == from_sjis(row.line);
    }
    if (!same_rows) {
        label_list_->clear();
        for (const auto& row : labels.rows()) {
            label_list_->addTopLevelItem(
                new QTreeWidgetItem({from_sjis(row.label), from_sjis(row.line)}));
        }
    }
    label_list_->clearSelection();
    if (labels.focused() >= 0 && labels.focused() < labels.count()) {
        label_list_->setCurrentItem(label_list_->topLevelItem(labels.focused()), 0,
                                    QItemSelectionModel::NoUpdate);
    }
    if (labels.selected() >= 0 && labels.selected() < labels.count()) {
        label_list_->topLevelItem(labels.selected())->setSelected(true);
    }
    syncing_lists_ = false;
}

void MainWindow::sync_ime() {
    if (console_.shell.ime_box_visible()) {
        if (ime_box_->isVisible()) return;
        // At the left edge of the terminal pane, its bottom on the terminal's.
        ime_box_->setFont(view_->terminal_font());
        ime_box_->setFixedWidth(std::max(200, view_->width() / 2));
        ime_box_->move(0, view_->height() - ime_box_->sizeHint().height());
        ime_box_->clear();
        ime_box_->show();
        ime_box_->raise();
    } else {
        ime_box_->clear();
        ime_box_->hide();
    }
}

void MainWindow::sync_window() {
    const auto& shell = console_.shell;
    view_->setEnabled(shell.terminal_enabled());
    connect_button_->setVisible(shell.connect_button_visible());
    if (shell.connect_button_visible()) connect_button_->raise();
}

}  // namespace qvt::gui
