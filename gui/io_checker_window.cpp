#include "gui/io_checker_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>

#include "gui/fonts.h"

namespace qvt::gui {

namespace {

constexpr int kWidth = 475;
constexpr int kHeight = 412;
constexpr int kRowHeight = 52;
constexpr int kColumnWidth = 40;

QPixmap lamp(const QColor& colour) {
    QPixmap picture(16, 12);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 9), 3, 3);
    // A small highlight, so that a lit lamp reads as lit at a glance.
    p.setPen(Qt::NoPen);
    p.setBrush(colour.lighter(160));
    p.drawEllipse(QRectF(4, 3, 4, 2.5));
    return picture;
}

QLabel* panel(QWidget* parent, const QRect& at, Qt::Alignment align = Qt::AlignCenter) {
    auto* label = new QLabel(parent);
    label->setGeometry(at);
    label->setAlignment(align);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

QLabel* text(QWidget* parent, const QString& caption, const QRect& at) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(at);
    return label;
}

iocheck::IoKey io_key(int key) {
    switch (key) {
        case Qt::Key_PageUp:
            return iocheck::IoKey::PageUp;
        case Qt::Key_PageDown:
            return iocheck::IoKey::PageDown;
        case Qt::Key_Insert:
            return iocheck::IoKey::Insert;
        case Qt::Key_Delete:
            return iocheck::IoKey::Delete;
        case Qt::Key_Home:
            return iocheck::IoKey::Home;
        case Qt::Key_End:
            return iocheck::IoKey::End;
        case Qt::Key_Backspace:
            return iocheck::IoKey::Backspace;
        case Qt::Key_F6:
            return iocheck::IoKey::F6;
        case Qt::Key_F10:
            return iocheck::IoKey::F10;
        case Qt::Key_Up:
            return iocheck::IoKey::Up;
        case Qt::Key_Down:
            return iocheck::IoKey::Down;
        case Qt::Key_Left:
        case Qt::Key_Backtab:
            return iocheck::IoKey::Left;
        case Qt::Key_Right:
        case Qt::Key_Tab:
            return iocheck::IoKey::Right;
        default:
            return iocheck::IoKey::Other;
    }
}

}  // namespace

IoCheckerWindow::IoCheckerWindow(iocheck::IoChecker& model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      model_(model),
      red_on_(lamp(QColor(255, 40, 30))),
      red_off_(lamp(QColor(70, 10, 10))),
      green_on_(lamp(QColor(40, 235, 60))),
      green_off_(lamp(QColor(10, 60, 15))) {
    setWindowTitle(QStringLiteral("IO Checker"));
    setFont(window_font());
    setFixedSize(kWidth, kHeight);

    build_half(true, 4);
    build_half(false, 186);

    cancel_ = new QPushButton(QStringLiteral("Cancel(Esc)"), this);
    cancel_->setGeometry(8, 366, 96, 24);
    cancel_->setFocusPolicy(Qt::NoFocus);
    connect(cancel_, &QPushButton::clicked, this, [this] { model_.Button1Click(); });
    clear_ = new QPushButton(QStringLiteral("CLR_OUTP(F6)"), this);
    clear_->setGeometry(108, 366, 100, 24);
    clear_->setFocusPolicy(Qt::NoFocus);
    connect(clear_, &QPushButton::clicked, this, [this] { model_.Button2Click(); });
    slnk_ = new QCheckBox(QStringLiteral("CUnet(&S)"), this);
    slnk_->setGeometry(220, 366, 100, 24);
    slnk_->setFocusPolicy(Qt::NoFocus);
    connect(slnk_, &QCheckBox::clicked, this, [this](bool ticked) { model_.SLNKClick(ticked); });
    memio_ = new QCheckBox(QStringLiteral("MemIO(&M)"), this);
    memio_->setGeometry(320, 366, 100, 24);
    memio_->setFocusPolicy(Qt::NoFocus);
    connect(memio_, &QCheckBox::clicked, this, [this](bool ticked) { model_.MemIOClick(ticked); });
    panel6_ = panel(this, QRect(0, kHeight - 20, kWidth, 20), Qt::AlignLeft | Qt::AlignVCenter);

    model_.show_modal = [this] { exec(); };
    model_.close_window = [this] { done(0); };
    model_.on_change = [this](iocheck::IoPart part, int index) { show_part(part, index); };
}

IoCheckerWindow::~IoCheckerWindow() {
    model_.show_modal = nullptr;
    model_.close_window = nullptr;
    model_.on_change = nullptr;
}

// One half: the header, three rows of eight points (index 0 of a row at its
// right end), the bank panels and data labels, the scroll bar and its hints.
void IoCheckerWindow::build_half(bool outputs, int top) {
    auto* header = panel(this, QRect(8, top, 90, 18), Qt::AlignLeft | Qt::AlignVCenter);
    header->setText(outputs ? QStringLiteral("  OUT PORT") : QStringLiteral("  IN PORT"));
    text(this,
         outputs ? QStringLiteral("[Cursor Key] Move Focus")
                 : QStringLiteral("[Space][Enter] ON/OFF"),
         QRect(106, top, 186, 18));
    if (outputs) panel8_ = panel(this, QRect(294, top, 86, 18));

    const int rows_top = top + 22;
    for (int i = 0; i < iocheck::kShown; ++i) {
        const int row = i / 8;
        const int x = 8 + (7 - i % 8) * kColumnWidth;
        const int y = rows_top + row * kRowHeight;
        auto* led = new QLabel(this);
        led->setGeometry(x + 10, y + 2, 16, 12);
        const auto at = static_cast<std::size_t>(i);
        if (outputs) {
            led->setPixmap(red_off_);
            out_lamp_[at] = led;
            auto* button = new QPushButton(this);
            button->setObjectName(QStringLiteral("Out_%1").arg(i));
            button->setGeometry(x, y + 16, kColumnWidth - 4, 28);
            button->setAutoDefault(false);
            button->installEventFilter(this);
            connect(button, &QPushButton::clicked, this, [this, i] { model_.OutClick(i); });
            out_[at] = button;
        } else {
            led->setPixmap(green_off_);
            in_lamp_[at] = led;
            in_[at] = panel(this, QRect(x, y + 16, kColumnWidth - 4, 28));
        }
    }
    for (int r = 0; r < iocheck::kRows; ++r) {
        const int y = rows_top + r * kRowHeight;
        const auto at = static_cast<std::size_t>(r);
        (outputs ? out_data_ : in_data_)[at] = text(this, QString(), QRect(332, y, 48, 14));
        (outputs ? out_bank_ : in_bank_)[at] = panel(this, QRect(332, y + 16, 48, 28));
    }

    auto* bar = new QScrollBar(Qt::Vertical, this);
    bar->setGeometry(386, rows_top, 17, 3 * kRowHeight - 8);
    // The focus stays on the output buttons; the bar is worked by mouse and keys.
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QScrollBar::valueChanged, this, [this, outputs](int position) {
        if (updating_) return;
        if (outputs) {
            model_.OutSBChange(position);
        } else {
            model_.INSBChange(position);
        }
    });
    (outputs ? out_sb_ : in_sb_) = bar;
    const QString hints[] = {QStringLiteral("(Ctrl+)"),
                             outputs ? QStringLiteral("[Up]") : QStringLiteral("[Ins]"),
                             QStringLiteral("[Home]"), QStringLiteral("[End]"),
                             outputs ? QStringLiteral("[Down]") : QStringLiteral("[Del]")};
    for (int k = 0; k < 5; ++k)
        text(this, hints[k], QRect(408, rows_top + 4 + k * 28, 64, 16));
}

void IoCheckerWindow::show_scroll(QScrollBar* bar, const iocheck::ScrollState& state) {
    updating_ = true;
    bar->setRange(state.min, state.max);
    bar->setSingleStep(state.small_step);
    bar->setPageStep(state.large_step);
    bar->setValue(state.position);
    updating_ = false;
}

void IoCheckerWindow::show_part(iocheck::IoPart part, int index) {
    using iocheck::IoPart;
    const auto at = static_cast<std::size_t>(index);
    switch (part) {
        case IoPart::OutButton:
            out_[at]->setText(QString::number(model_.out_caption(index)));
            break;
        case IoPart::OutLamp:
            out_lamp_[at]->setPixmap(model_.out_lamp(index) ? red_on_ : red_off_);
            break;
        case IoPart::InPanel:
            in_[at]->setText(QString::number(model_.in_caption(index)));
            break;
        case IoPart::InLamp:
            in_lamp_[at]->setPixmap(model_.in_lamp(index) ? green_on_ : green_off_);
            break;
        case IoPart::Banks:
            for (int r = 0; r < iocheck::kRows; ++r) {
                const auto row = static_cast<std::size_t>(r);
                out_bank_[row]->setText(QString::number(model_.out_bank(r)));
                in_bank_[row]->setText(QString::number(model_.in_bank(r)));
                out_data_[row]->setText(
                    QString::fromStdString(iocheck::hex_caption(model_.out_data(r))));
                in_data_[row]->setText(
                    QString::fromStdString(iocheck::hex_caption(model_.in_data(r))));
            }
            break;
        case IoPart::Scroll:
            show_scroll(out_sb_, model_.out_scroll());
            show_scroll(in_sb_, model_.in_scroll());
            break;
        case IoPart::Boxes:
            slnk_->setChecked(model_.slnk().ticked);
            slnk_->setEnabled(model_.slnk().enabled);
            slnk_->setVisible(model_.slnk().visible);
            memio_->setChecked(model_.memio().ticked);
            memio_->setEnabled(model_.memio().enabled);
            memio_->setVisible(model_.memio().visible);
            break;
        case IoPart::Panel8:
            panel8_->setText(QString::fromStdString(model_.panel8()));
            break;
        case IoPart::Panel6:
            panel6_->setText(QString::fromStdString(model_.panel6()));
            break;
        case IoPart::Focus:
            out_[at]->setFocus();
            break;
    }
}

void IoCheckerWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (QWidget* main = parentWidget()) {
        const QRect frame = main->frameGeometry();
        move(frame.left() + (frame.width() - frameGeometry().width()) / 2,
             frame.top() + (frame.height() - frameGeometry().height()) / 2);
    }
    // From the loop, so the window is on the screen while the outputs are read.
    QTimer::singleShot(0, this, [this] { model_.FormActivate(); });
}

void IoCheckerWindow::reject() {
    model_.Button1Click();
}

void IoCheckerWindow::closeEvent(QCloseEvent* event) {
    if (model_.open()) {
        model_.Button1Click();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool IoCheckerWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto found = std::find(out_.begin(), out_.end(), watched);
    if (found == out_.end()) return QDialog::eventFilter(watched, event);
    const int index = static_cast<int>(found - out_.begin());
    if (event->type() == QEvent::FocusIn) {
        model_.OutEnter(index);
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            model_.OutClick(index);
            return true;
        }
        if (key->key() == Qt::Key_Escape) return QDialog::eventFilter(watched, event);
        const bool ctrl =
            (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) ==
            Qt::ControlModifier;
        return model_.OutKeyDown(index, io_key(key->key()), ctrl);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qvt::gui
