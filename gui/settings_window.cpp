#include "gui/settings_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "gui/fonts.h"

namespace qvt::gui {

namespace {

// Editor paths name files on this machine: local 8-bit, like the file dialog's.
QString path_text(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string path_bytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace

SettingsWindow::SettingsWindow(startup::SettingsDialog& model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), model_(model) {
    setWindowTitle(QStringLiteral("Settings"));
    setFont(window_font());
    setFixedSize(511, 269);

    auto* group = new QGroupBox(QStringLiteral("External Editor"), this);
    group->setGeometry(16, 12, 479, 110);
    auto* label1 = new QLabel(QStringLiteral("Program"), group);
    label1->setGeometry(12, 26, 80, 20);
    edit1_ = new QLineEdit(group);
    edit1_->setGeometry(92, 24, 313, 22);
    auto* button3 = new QPushButton(QStringLiteral("Select"), group);
    button3->setGeometry(412, 24, 56, 22);
    auto* label2 = new QLabel(QStringLiteral("Point, MBK"), group);
    label2->setGeometry(12, 66, 80, 20);
    edit2_ = new QLineEdit(group);
    edit2_->setGeometry(92, 64, 313, 22);
    auto* button4 = new QPushButton(QStringLiteral("Select"), group);
    button4->setGeometry(412, 64, 56, 22);

    check1_ = new QCheckBox(QStringLiteral("KVB Program Stops at Connecting"), this);
    check1_->setGeometry(28, 130, 300, 22);
    check1_->setChecked(true);
    check2_ = new QCheckBox(QStringLiteral("IME Enabled"), this);
    check2_->setGeometry(28, 156, 300, 22);
    auto* label3 = new QLabel(QStringLiteral("Web Reference Host"), this);
    label3->setGeometry(28, 188, 130, 20);
    edit3_ = new QLineEdit(this);
    edit3_->setGeometry(160, 186, 335, 22);
    edit3_->setToolTip(QStringLiteral("Opened by F1 with the word under the cursor"));

    button1_ = new QPushButton(QStringLiteral("Ok"), this);
    button1_->setGeometry(300, 222, 90, 28);
    button1_->setDefault(true);
    button2_ = new QPushButton(QStringLiteral("Cancel"), this);
    button2_->setGeometry(404, 222, 90, 28);

    model_.on_change = [this] { show_controls(); };
    connect(button1_, &QPushButton::clicked, this, [this] {
        take_controls();
        model_.Button1Click();
        accept();
    });
    connect(button2_, &QPushButton::clicked, this, &QDialog::reject);
    connect(button3, &QPushButton::clicked, this, [this] {
        take_controls();
        model_.Button3Click();
    });
    connect(button4, &QPushButton::clicked, this, [this] {
        take_controls();
        model_.Button4Click();
    });
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) model_.FormActivate();
}

void SettingsWindow::show_controls() {
    const auto& c = model_.controls;
    edit1_->setText(path_text(c.edit1));
    edit2_->setText(path_text(c.edit2));
    check1_->setChecked(c.check1);
    check2_->setChecked(c.check2);
    edit3_->setText(QString::fromStdString(c.edit3));
}

void SettingsWindow::take_controls() {
    auto& c = model_.controls;
    c.edit1 = path_bytes(edit1_->text());
    c.edit2 = path_bytes(edit2_->text());
    c.check1 = check1_->isChecked();
    c.check2 = check2_->isChecked();
    c.edit3 = edit3_->text().trimmed().toStdString();
}

}  // namespace qvt::gui
