#include "gui/launcher_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/fonts.h"
#include "gui/qt_dialogs.h"

namespace qvt::gui {

namespace {

QLabel* status_label(QWidget* parent, int width) {
    auto* label = new QLabel(parent);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

}  // namespace

LauncherWindow::LauncherWindow(startup::Launcher& model, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), model_(model) {
    setWindowTitle(QStringLiteral("QVTW2K"));
    setFont(window_font());
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 4);

    auto make_button = [this](int number, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        buttons_[number] = b;
        return b;
    };

    // USB-RS
    auto* group1 = new QGroupBox(QStringLiteral("USB-RS"), this);
    auto* g1 = new QHBoxLayout(group1);
    list_box1_ = new QListWidget(group1);
    list_box1_->setFont(list_font());
    list_box1_->setFixedHeight(84);
    list_box1_->installEventFilter(this);
    g1->addWidget(list_box1_, 1);
    auto* g1_buttons = new QVBoxLayout;
    g1_buttons->addWidget(make_button(9, "Connect"));
    g1_buttons->addWidget(make_button(3, "Search"));
    g1_buttons->addWidget(make_button(4, " Set to COM"));
    g1_buttons->addStretch(1);
    buttons_[4]->hide();
    g1->addLayout(g1_buttons);
    root->addWidget(group1);

    // Other COM Port
    auto* group2 = new QGroupBox(QStringLiteral("Other COM Port"), this);
    auto* g2 = new QHBoxLayout(group2);
    combo_box1_ = new QComboBox(group2);
    combo_box1_->setEditable(true);
    combo_box1_->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& item : startup::Launcher::port_items())
        combo_box1_->addItem(QString::fromStdString(item));
    combo_box1_->setMaxVisibleItems(12);
    g2->addWidget(combo_box1_, 1);
    g2->addWidget(make_button(1, "Connect"));
    root->addWidget(group2);

    // Baud rate
    auto* baud_row = new QHBoxLayout;
    auto* radio_group = new QGroupBox(QStringLiteral("Baud Rate "), this);
    auto* rg = new QHBoxLayout(radio_group);
    baud_38400_ = new QRadioButton(QStringLiteral("38400"), radio_group);
    baud_115200_ = new QRadioButton(QStringLiteral("115200"), radio_group);
    rg->addWidget(baud_38400_);
    rg->addWidget(baud_115200_);
    rg->addStretch(1);
    auto* radios = new QButtonGroup(this);
    radios->addButton(baud_38400_, 0);
    radios->addButton(baud_115200_, 1);
    baud_38400_->setChecked(true);
    baud_row->addWidget(radio_group, 1);
    root->addLayout(baud_row);
    auto* hint = new QLabel(QStringLiteral("(Need to SET_IP 115200 on the KVB-520)"), this);
    root->addWidget(hint);

    // Tools
    auto* tools = new QHBoxLayout;
    tools->addWidget(make_button(5, "System Loader"));
    tools->addWidget(make_button(6, "Offline Edit"));
    tools->addWidget(make_button(7, "Settings"));
    tools->addWidget(make_button(8, "Device Manager"));
    root->addLayout(tools);
    auto* exit_row = new QHBoxLayout;
    exit_row->addStretch(1);
    exit_row->addWidget(make_button(2, "Exit"));
    root->addLayout(exit_row);

    // StatusBar1
    auto* status_row = new QHBoxLayout;
    status_row->setSpacing(2);
    status_[0] = status_label(this, 75);
    status_[1] = status_label(this, 280);
    status_[2] = status_label(this, 50);
    for (QLabel* panel : status_) {
        panel->setFont(QFont());  // the system font
        status_row->addWidget(panel);
    }
    status_row->addStretch(1);
    root->addLayout(status_row);

    connect(buttons_[1], &QPushButton::clicked, this, [this] { model_.Button1Click(); });
    connect(buttons_[2], &QPushButton::clicked, this, [this] { model_.Button2Click(); });
    connect(buttons_[3], &QPushButton::clicked, this, [this] { model_.Button3Click(); });
    connect(buttons_[4], &QPushButton::clicked, this, [this] { model_.Button4Click(); });
    connect(buttons_[5], &QPushButton::clicked, this, [this] {
        setEnabled(false);  // while the loader runs, nothing else is started
        model_.Button5Click();
        setEnabled(true);
    });
    connect(buttons_[6], &QPushButton::clicked, this, [this] { model_.Button6Click(); });
    connect(buttons_[7], &QPushButton::clicked, this, [this] { model_.Button7Click(); });
    connect(buttons_[8], &QPushButton::clicked, this, [this] { model_.Button8Click(); });
    connect(buttons_[9], &QPushButton::clicked, this, [this] { model_.Button9Click(); });
    connect(list_box1_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!syncing_) model_.set_selected(row);
    });
    connect(list_box1_, &QListWidget::itemDoubleClicked, this,
            [this] { model_.ListBox1DblClick(); });
    connect(combo_box1_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (!syncing_) model_.set_port_field(text.toStdString());
    });
    connect(radios, &QButtonGroup::idClicked, this, [this](int id) {
        if (!syncing_) model_.set_baud_index(id);
    });

    model_.on_change = [this](startup::LauncherChange what) { on_change(what); };
    for (auto what : {startup::LauncherChange::Status, startup::LauncherChange::List,
                      startup::LauncherChange::PortField, startup::LauncherChange::Baud}) {
        on_change(what);
    }
    setFixedSize(sizeHint().expandedTo(QSize(470, 0)));
}

QPushButton* LauncherWindow::button(int number) {
    return buttons_[number];
}

void LauncherWindow::on_change(startup::LauncherChange what) {
    syncing_ = true;
    switch (what) {
        case startup::LauncherChange::Status:
            for (int i = 0; i < 3; ++i)
                status_[i]->setText(QString::fromStdString(model_.status_text(i)));
            break;
        case startup::LauncherChange::List:
            list_box1_->clear();
            for (const auto& entry : model_.entries())
                list_box1_->addItem(from_sjis(entry));
            list_box1_->setCurrentRow(model_.selected());
            break;
        case startup::LauncherChange::PortField:
            if (combo_box1_->currentText().toStdString() != model_.port_field()) {
                combo_box1_->setEditText(QString::fromStdString(model_.port_field()));
            }
            break;
        case startup::LauncherChange::Baud:
            (model_.baud_index() == 0 ? baud_38400_ : baud_115200_)->setChecked(true);
            break;
        case startup::LauncherChange::Focus:
            if (model_.focus() == startup::LauncherFocus::Button1) {
                buttons_[1]->setFocus();
            } else {
                list_box1_->setFocus();
            }
            break;
        case startup::LauncherChange::Visible:
            break;
    }
    syncing_ = false;
}

bool LauncherWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate && model_.visible()) model_.FormActivate();
    return handled;
}

void LauncherWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    model_.FormCloseQuery();
}

void LauncherWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        model_.Button2Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool LauncherWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_box1_ && event->type() == QEvent::KeyPress) {
        auto* key_event = static_cast<QKeyEvent*>(event);
        if (key_event->key() == Qt::Key_Return || key_event->key() == Qt::Key_Enter) {
            int key = 13;
            model_.ListBox1KeyDown(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qvt::gui
