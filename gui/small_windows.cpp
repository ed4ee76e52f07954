#include "gui/small_windows.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/fonts.h"
#include "gui/qt_dialogs.h"
#include "posix/port_access.h"
#include "posix/sysfs_discovery.h"

namespace qvt::gui {

LoaderChooser::LoaderChooser(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("System Loader"));
    setFont(window_font());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Choose a COM Port"), this));
    list_ = new QListWidget(this);
    list_->setFont(list_font());
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(260, 220);
}

std::optional<int> LoaderChooser::choose(const std::vector<std::string>& items, int selected) {
    list_->clear();
    for (const auto& item : items)
        list_->addItem(from_sjis(item));
    list_->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
    if (selected < 0) list_->clearSelection();
    if (exec() != QDialog::Accepted) return std::nullopt;
    const auto chosen = list_->selectedItems();
    return chosen.isEmpty() ? -1 : list_->row(chosen.front());
}

void split_usb_id(const std::string& usb_id, DeviceRow& row) {
    // "VID_xxxx+PID_xxxx+serial"
    const QString id = QString::fromStdString(usb_id);
    const QStringList parts = id.split(QLatin1Char('+'));
    if (parts.size() >= 1 && parts[0].startsWith(QLatin1String("VID_")))
        row.vendor = parts[0].mid(4);
    if (parts.size() >= 2 && parts[1].startsWith(QLatin1String("PID_")))
        row.product = parts[1].mid(4);
    if (parts.size() >= 3) row.serial = parts.mid(2).join(QLatin1Char('+'));
}

DeviceListWindow::DeviceListWindow(const sysfs::SysfsDiscovery& discovery, QWidget* parent)
    : QDialog(parent), discovery_(discovery) {
    setWindowTitle(QStringLiteral("Serial Ports"));
    setFont(window_font());
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 7, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("COM"), QStringLiteral("Device"),
                                       QStringLiteral("USB vendor"), QStringLiteral("USB product"),
                                       QStringLiteral("Serial number"), QStringLiteral("Driver"),
                                       QStringLiteral("Access")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    access_note_ = new QLabel(this);
    access_note_->setWordWrap(true);
    access_note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    access_note_->hide();
    layout->addWidget(access_note_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* refresh_button =
        buttons->addButton(QStringLiteral("Refresh"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(refresh_button, &QPushButton::clicked, this, &DeviceListWindow::refresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 260);
}

void DeviceListWindow::showEvent(QShowEvent* event) {
    refresh();
    QDialog::showEvent(event);
}

void DeviceListWindow::refresh() {
    const auto ports = discovery_.discover();
    table_->setRowCount(static_cast<int>(ports.size()));
    int r = 0;
    QStringList notes;
    for (const auto& port : ports) {
        DeviceRow row;
        row.com = QStringLiteral("COM%1").arg(port.com);
        row.device = QString::fromStdString(port.device);
        row.driver = QString::fromStdString(port.driver);
        if (port.usb_id) split_usb_id(*port.usb_id, row);
        const posix::PortAccess access = posix::port_access(port.device);
        if (!access.may_open) {
            notes << QStringLiteral("%1: %2 %3")
                         .arg(row.com, QString::fromStdString(access.why),
                              QString::fromStdString(access.fix));
        }
        const QString cells[] = {row.com,
                                 row.device,
                                 row.vendor,
                                 row.product,
                                 row.serial,
                                 row.driver,
                                 access.may_open ? QStringLiteral("yes") : QStringLiteral("no")};
        for (int c = 0; c < 7; ++c)
            table_->setItem(r, c, new QTableWidgetItem(cells[c]));
        ++r;
    }
    table_->resizeColumnsToContents();
    access_note_->setText(notes.join(QLatin1Char('\n')));
    access_note_->setVisible(!notes.isEmpty());
}

}  // namespace qvt::gui
