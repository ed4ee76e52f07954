#include "gui/progress_dialog.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMoveEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "gui/fonts.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

namespace {

// Rows of the panel, from the top.
constexpr int kLabel3Top = 6;
constexpr int kLabel3Height = 24;
constexpr int kLabel2Top = kLabel3Top + kLabel3Height;
constexpr int kLabel2Height = 32;
constexpr int kLabel1Top = kLabel2Top + kLabel2Height;
constexpr int kLabel1Height = 16;
constexpr int kButtonTop = kLabel1Top + kLabel1Height + 6;
constexpr int kReplaceAfterShowMs = 100;
// A window manager that drags the caption takes the keyboard for the drag and
// gives it back at the end; a loss of activation counts once it lasts this long.
constexpr int kDeactivateGraceMs = 1500;

QLabel* centred_label(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

ProgressDialog::ProgressDialog(transfer::ProgressModel& model, QWidget* main_window)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      model_(model),
      main_window_(main_window) {
    setFont(window_font());
    setWindowTitle(QString());
    setModal(false);

    // Panel1 fills the client area; its own caption stays empty.
    panel_ = new QFrame(this);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setLineWidth(1);
    QWidget* panel = panel_;
    label3_ = centred_label(panel);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(13);
    label3_->setFont(bold);
    label2_ = centred_label(panel);
    label2_->setWordWrap(true);
    label1_ = centred_label(panel);
    button1_ = new QPushButton(QString::fromStdString(model_.button_caption()), panel);
    button1_->setAutoDefault(false);
    connect(button1_, &QPushButton::clicked, this, [this] { model_.Button1Click(); });

    lay_out(kDesignWidth, kDesignWidth / 2 - kButtonWidth / 2 - 5);
    setFixedSize(kDesignWidth, kDesignHeight);

    deactivate_timer_.setSingleShot(true);
    deactivate_timer_.setInterval(kDeactivateGraceMs);
    connect(&deactivate_timer_, &QTimer::timeout, this, [this] { model_.FormDeactivate(); });

    model_.on_change = [this] { sync(); };
    sync();
}

ProgressDialog::~ProgressDialog() {
    model_.on_change = nullptr;
}

void ProgressDialog::lay_out(int width, int button_left) {
    panel_->setGeometry(0, 0, width, kDesignHeight);
    label3_->setGeometry(0, kLabel3Top, width, kLabel3Height);
    label2_->setGeometry(0, kLabel2Top, width, kLabel2Height);
    label1_->setGeometry(0, kLabel1Top, width, kLabel1Height);
    button1_->setGeometry(button_left, kButtonTop, kButtonWidth, kButtonHeight);
}

void ProgressDialog::place() {
    const QRect main = main_window_->frameGeometry();
    const transfer::ProgressPlacement p = transfer::ProgressModel::place(
        {main.x(), main.y(), main.width(), main.height()}, kButtonWidth);
    const int width = std::max(p.width, kButtonWidth);
    setFixedSize(width, kDesignHeight);
    lay_out(width, p.button_left);
    placed_ = QPoint(p.left, p.top);
    moving_back_ = true;
    move(placed_);
    moving_back_ = false;
}

void ProgressDialog::sync() {
    // Texts of the core, the file name among them: UTF-8.
    const QString caption = QString::fromStdString(model_.caption());
    if (windowTitle() != caption) setWindowTitle(caption);
    label1_->setText(QString::fromStdString(model_.label1()));
    label2_->setText(QString::fromStdString(model_.label2()));
    label3_->setText(QString::fromStdString(model_.label3()));
    if (main_window_->isEnabled() != model_.main_window_enabled()) {
        main_window_->setEnabled(model_.main_window_enabled());
    }
    if (model_.visible() && !isVisible()) {
        if (windowHandle() == nullptr) create();
        if (main_window_->windowHandle() != nullptr) {
            windowHandle()->setTransientParent(main_window_->windowHandle());
        }
        place();
        show();
        raise();
        activateWindow();
    } else if (!model_.visible() && isVisible()) {
        // Activation goes back to the main window, as it does to the owner of
        // a dialog that closes; the terminal's focus needs an active window.
        const bool was_active = isActiveWindow();
        hide();
        if (was_active && main_window_->isVisible()) main_window_->activateWindow();
    }
}

void ProgressDialog::reject() {
    // Esc does not close the dialog; the transfer hides it when it ends.
}

bool ProgressDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        QWindow* now = QGuiApplication::focusWindow();
        if (now != nullptr && now != windowHandle()) {
            model_.FormDeactivate();  // another window of the program took over
        } else {
            deactivate_timer_.start();
        }
    } else if (event->type() == QEvent::WindowActivate) {
        deactivate_timer_.stop();
    }
    if (event->type() == QEvent::Show) {
        // Before the window manager has framed the dialog the frame's size is
        // unknown and the first placement may be off by the caption's height;
        // once framed, the same placement lands where it should.
        QTimer::singleShot(kReplaceAfterShowMs, this, [this] {
            if (!isVisible() || !model_.pinned()) return;
            moving_back_ = true;
            move(placed_);
            moving_back_ = false;
        });
    }
    return QDialog::event(event);
}

void ProgressDialog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (moving_back_ || !isVisible() || pos() == placed_) return;
    // The window manager has moved the dialog already; a drag that is to be
    // ignored is undone once the event loop comes back.
    if (!model_.ignore_system_command(transfer::kScDragMove, true)) {
        placed_ = pos();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isVisible() || pos() == placed_) return;
            if (!model_.ignore_system_command(transfer::kScDragMove, true)) return;
            moving_back_ = true;
            move(placed_);
            moving_back_ = false;
        },
        Qt::QueuedConnection);
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    if (model_.visible()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace qvt::gui
