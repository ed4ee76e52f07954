#include "gui/clear_outputs_window.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>

#include "gui/fonts.h"

namespace qvt::gui {

ClearOutputsWindow::ClearOutputsWindow(debug::ClearOutputs& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("CLR_OUTP"));
    setFont(window_font());
    auto* layout = new QVBoxLayout(this);
    // A fixed dialog border: the size the contents ask for, not resizable.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* label = new QLabel(QStringLiteral("Choose Output Area"), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);

    const char* captions[debug::kOutputAreas] = {"&Real Output", "C&Unet", "&MBK", "Memory &IO"};
    for (int area = 0; area < debug::kOutputAreas; ++area) {
        auto* check = new QCheckBox(QString::fromLatin1(captions[area]), this);
        // clicked, not toggled: showing the model's state must not echo back.
        connect(check, &QCheckBox::clicked, this,
                [this, area](bool ticked) { model_.set_box(area, ticked); });
        boxes_[static_cast<std::size_t>(area)] = check;
        layout->addWidget(check);
    }

    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(QStringLiteral("&Ok"), this);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] {
        model_.Button1Click();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    status_ = new QLabel(this);
    status_->setAlignment(Qt::AlignCenter);
    bar->addWidget(status_, 1);
    layout->addWidget(bar);

    model_.on_change = [this] { show_model(); };
    model_.show_modal = [this] { return exec() == QDialog::Accepted; };
    show_model();
}

ClearOutputsWindow::~ClearOutputsWindow() {
    model_.on_change = nullptr;
    model_.show_modal = nullptr;
}

void ClearOutputsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    model_.FormActivate();
    ok_->setFocus();
}

void ClearOutputsWindow::show_model() {
    for (int area = 0; area < debug::kOutputAreas; ++area)
        boxes_[static_cast<std::size_t>(area)]->setChecked(model_.box(area));
    status_->setText(QString::fromLatin1(model_.command()));
}

}  // namespace qvt::gui
