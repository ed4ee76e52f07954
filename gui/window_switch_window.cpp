#include "gui/window_switch_window.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "gui/key_map.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

namespace {

enum Column { kText, kWnd, kClass, kExe, kHwnd, kColumns };

struct Badge {
    QColor colour;
    QChar letter;
};

// One small badge per tool: the terminals, the program editors, the robot
// tools, the loader, the teaching and the source tools. Index 5 is no tool's.
const std::array<Badge, 7> kBadges{{{QColor(0x1f, 0x5f, 0xbf), QLatin1Char('T')},
                                    {QColor(0x2e, 0x8b, 0x3e), QLatin1Char('E')},
                                    {QColor(0xd0, 0x7a, 0x10), QLatin1Char('B')},
                                    {QColor(0x7b, 0x3f, 0xa8), QLatin1Char('W')},
                                    {QColor(0x13, 0x8a, 0x8a), QLatin1Char('P')},
                                    {QColor(0x80, 0x80, 0x80), QLatin1Char(' ')},
                                    {QColor(0xb8, 0x2a, 0x2a), QLatin1Char('S')}}};

QIcon badge_icon(int index) {
    if (index < 0 || index >= static_cast<int>(kBadges.size())) return {};
    const Badge& badge = kBadges[static_cast<std::size_t>(index)];
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(badge.colour.darker(140));
    painter.setBrush(badge.colour);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString(badge.letter));
    return QIcon(pixmap);
}

QFont switch_font() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Fixedsys"), font.family()});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(19);
    return font;
}

}  // namespace

WindowSwitchWindow::WindowSwitchWindow(desktop::WindowSwitch& model, QWidget* main_window,
                                       std::function<void()> focus_terminal)
    : QWidget(main_window, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                               Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint),
      model_(model),
      focus_terminal_(std::move(focus_terminal)),
      list_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QString::fromLatin1(desktop::kSwitchCaption));
    resize(400, 400);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setRootIsDecorated(false);
    list_->setColumnCount(kColumns);
    list_->setHeaderLabels({QStringLiteral("Window Text"), QStringLiteral("Wnd"),
                            QStringLiteral("Classname"), QStringLiteral("ExeName"),
                            QStringLiteral("hWnd")});
    list_->setFont(switch_font());
    list_->header()->setFont(font());
    list_->setColumnWidth(kText, 500);
    list_->setColumnWidth(kExe, 200);
    list_->setColumnWidth(kHwnd, 200);
    list_->setColumnHidden(kWnd, true);
    list_->setColumnHidden(kClass, true);
    list_->setIconSize(QSize(16, 16));
    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!rendering_ && item != nullptr) model_.select(list_->indexOfTopLevelItem(item));
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        model_.select(list_->indexOfTopLevelItem(item));
        model_.ListView1DblClick();
    });
    model_.set_view(this);
}

WindowSwitchWindow::~WindowSwitchWindow() {
    model_.set_view(nullptr);
}

void WindowSwitchWindow::refresh() {
    rendering_ = true;
    list_->clear();
    for (const desktop::SwitchItem& item : model_.items()) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(kText, from_sjis(item.caption));
        row->setText(kWnd, QString::fromStdString(item.wnd));
        row->setText(kClass, from_sjis(item.class_name));
        row->setText(kExe, from_sjis(item.exe_name));
        row->setText(kHwnd, QString::fromStdString(item.first_hwnd));
        row->setIcon(kText, badge_icon(item.image));
    }
    if (QTreeWidgetItem* chosen = list_->topLevelItem(model_.selected())) {
        list_->setCurrentItem(chosen);
        chosen->setSelected(true);
        list_->scrollToItem(chosen);
    }
    rendering_ = false;
}

void WindowSwitchWindow::show_switch(const std::string& caption) {
    if (!isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->geometry().center() - rect().center());
        }
    }
    show();
    raise();
    activateWindow();
    list_->setFocus();
    setWindowTitle(from_sjis(caption));
}

void WindowSwitchWindow::hide_switch() {
    hide();
}

bool WindowSwitchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        return model_.ListView1KeyDown(virtual_key(key->key()), shift_state(key->modifiers()));
    }
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The released key's own modifier is up now, whatever the event says.
        Qt::KeyboardModifiers down = key->modifiers();
        if (key->key() == Qt::Key_Alt) down &= ~Qt::AltModifier;
        if (key->key() == Qt::Key_Shift) down &= ~Qt::ShiftModifier;
        if (key->key() == Qt::Key_Control) down &= ~Qt::ControlModifier;
        model_.ListView1KeyUp(shift_state(down));
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

bool WindowSwitchWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && model_.switch_open() &&
        !(QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier)) {
        model_.ListView1KeyUp(shift_state(QGuiApplication::queryKeyboardModifiers()));
    }
    return QWidget::event(event);
}

}  // namespace qvt::gui
