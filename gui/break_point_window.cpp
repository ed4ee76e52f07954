#include "gui/break_point_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "gui/fonts.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

BreakPointWindow::BreakPointWindow(debug::BreakPoints& model, QWidget* terminal, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), model_(model), terminal_(terminal) {
    setWindowTitle(QStringLiteral("Break Point"));
    setFont(window_font());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    table_ = new QGroupBox(QStringLiteral("BKP Table"), this);
    table_->installEventFilter(this);
    auto* grid = new QGridLayout(table_);
    grid->setVerticalSpacing(2);
    for (int k = 0; k < debug::kBreakRows; ++k) {
        const auto i = static_cast<std::size_t>(k);
        rows_[i] = new QLineEdit(table_);
        rows_[i]->setFont(list_font());
        rows_[i]->setAutoFillBackground(true);
        rows_[i]->setFixedWidth(rows_[i]->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10);
        connect(rows_[i], &QLineEdit::textEdited, this,
                [this, k](const QString& text) { model_.set_row_text(k, to_sjis(text)); });
        clear_[i] = new QPushButton(QStringLiteral("C"), table_);
        list_[i] = new QPushButton(QStringLiteral("L"), table_);
        for (QPushButton* small : {clear_[i], list_[i]}) {
            small->setFixedWidth(small->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 8);
            small->setAutoDefault(false);
        }
        connect(clear_[i], &QPushButton::clicked, this, [this, k] { model_.clear_row(k); });
        connect(list_[i], &QPushButton::clicked, this, [this, k] { model_.list_row(k); });
        grid->addWidget(rows_[i], k, 0);
        grid->addWidget(clear_[i], k, 1);
        grid->addWidget(list_[i], k, 2);
    }

    bkp_ = new QGroupBox(QStringLiteral("BKP"), this);
    auto* bkp_buttons = new QHBoxLayout(bkp_);
    set_ = new QPushButton(QStringLiteral("Set"), bkp_);
    reset_ = new QPushButton(QStringLiteral("Reset"), bkp_);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), bkp_);
    set_->setDefault(true);
    for (QPushButton* b : {set_, reset_, cancel_})
        bkp_buttons->addWidget(b);
    connect(set_, &QPushButton::clicked, this, [this] { model_.Button10Click(); });
    connect(reset_, &QPushButton::clicked, this, [this] { model_.Button3Click(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { model_.request_close(); });

    auto* program = new QGroupBox(QStringLiteral("Program"), this);
    auto* program_buttons = new QHBoxLayout(program);
    cont_ = new QPushButton(QStringLiteral("Cont (N Ent)"), program);
    trace_ = new QPushButton(QStringLiteral("Trace (T Ent)"), program);
    for (QPushButton* b : {cont_, trace_}) {
        b->setAutoDefault(false);
        program_buttons->addWidget(b);
    }
    connect(cont_, &QPushButton::clicked, this, [this] { model_.Button7Click(); });
    connect(trace_, &QPushButton::clicked, this, [this] { model_.Button15Click(); });

    break_ = new QCheckBox(QStringLiteral("Break"), this);
    break_->setFocusPolicy(Qt::NoFocus);
    break_->setAttribute(Qt::WA_TransparentForMouseEvents);

    memo_ = new QPlainTextEdit(this);
    memo_->setReadOnly(true);
    memo_->setFont(list_font());
    memo_->setFixedHeight(memo_->fontMetrics().lineSpacing() * 5 + 12);

    auto* top = new QHBoxLayout;
    top->addWidget(table_);
    auto* right = new QVBoxLayout;
    right->addWidget(bkp_);
    right->addWidget(program);
    right->addWidget(break_);
    right->addStretch(1);
    top->addLayout(right);
    layout->addLayout(top);
    layout->addWidget(memo_);

    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    status_ = new QLabel(this);
    bar->addWidget(status_, 1);
    layout->addWidget(bar);

    model_.on_change = [this](debug::BpChange what) { changed(what); };
    show_rows();
    show_controls();
    // Laid out now, so the launcher can place it by its width before it shows.
    adjustSize();
}

BreakPointWindow::~BreakPointWindow() {
    model_.on_change = nullptr;
}

void BreakPointWindow::changed(debug::BpChange what) {
    switch (what) {
        case debug::BpChange::Visible:
            if (model_.visible()) {
                show();
                raise();
                activateWindow();
            } else {
                hide();
            }
            break;
        case debug::BpChange::Rows:
            show_rows();
            break;
        case debug::BpChange::Memo:
            memo_->setPlainText(from_sjis(model_.memo()));
            break;
        case debug::BpChange::Status:
            status_->setText(from_sjis(model_.status()));
            break;
        case debug::BpChange::Controls:
            show_controls();
            break;
        case debug::BpChange::Focus:
            show_focus();
            break;
    }
}

void BreakPointWindow::show_rows() {
    const QColor grey = palette().color(QPalette::Button);
    for (int k = 0; k < debug::kBreakRows; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const debug::BreakRow& row = model_.rows()[i];
        const QString text = from_sjis(row.text);
        if (rows_[i]->text() != text) rows_[i]->setText(text);
        QPalette p = rows_[i]->palette();
        p.setColor(QPalette::Base, row.confirmed ? QColor(Qt::white) : grey);
        rows_[i]->setPalette(p);
    }
}

void BreakPointWindow::show_controls() {
    table_->setEnabled(model_.table_enabled());
    bkp_->setEnabled(model_.bkp_group_enabled());
    cont_->setEnabled(model_.cont_enabled());
    trace_->setEnabled(model_.trace_enabled());
    cancel_->setEnabled(model_.cancel_enabled());
    break_->setChecked(model_.break_ticked());
}

void BreakPointWindow::show_focus() {
    switch (model_.focus()) {
        case debug::BpFocus::Set:
            set_->setFocus(Qt::OtherFocusReason);
            break;
        case debug::BpFocus::Cont:
            if (cont_->isEnabled()) cont_->setFocus(Qt::OtherFocusReason);
            break;
        case debug::BpFocus::Terminal:
            if (terminal_ != nullptr) {
                terminal_->activateWindow();
                terminal_->setFocus(Qt::OtherFocusReason);
            }
            break;
        case debug::BpFocus::None:
            break;
    }
}

// Esc.
void BreakPointWindow::reject() {
    model_.request_close();
}

void BreakPointWindow::closeEvent(QCloseEvent* event) {
    // The model hides the window when it agrees.
    event->ignore();
    model_.request_close();
}

void BreakPointWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isVisible()) return;
    if (isActiveWindow()) {
        model_.FormActivate();
    } else {
        model_.FormDeactivate();
    }
}

void BreakPointWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F8) {
        model_.focus_terminal();
        return;
    }
    QDialog::keyPressEvent(event);
}

void BreakPointWindow::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    model_.focus_terminal();
}

bool BreakPointWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::MouseButtonPress) model_.focus_terminal();
    return QDialog::eventFilter(watched, event);
}

}  // namespace qvt::gui
