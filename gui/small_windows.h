// Two small windows of the launcher: the system-loader chooser and the list of
// the serial ports the port table sees (there is no device manager to open),
// which also tells, for a port this user may not open, why and what to do.
//
// How it works: the chooser is a modal dialog filled anew before every use;
// choose() returns the selected row on Ok (-1 when none is selected) and
// nothing on Cancel. The device list reads the discovery afresh whenever it is
// shown or "Refresh" is pressed.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QTableWidget;

namespace qvt::sysfs {
class SysfsDiscovery;
}

namespace qvt::gui {

class LoaderChooser : public QDialog {
    Q_OBJECT

  public:
    explicit LoaderChooser(QWidget* parent = nullptr);
    std::optional<int> choose(const std::vector<std::string>& items, int selected);
    QListWidget* list() { return list_; }

  private:
    QListWidget* list_;
};

// What the device list shows of one port.
struct DeviceRow {
    QString com, device, vendor, product, serial, driver;
};
// Splits "VID_0403+PID_6001+AC0001" into vendor, product and serial number.
void split_usb_id(const std::string& usb_id, DeviceRow& row);

class DeviceListWindow : public QDialog {
    Q_OBJECT

  public:
    DeviceListWindow(const sysfs::SysfsDiscovery& discovery, QWidget* parent = nullptr);
    void refresh();
    QTableWidget* table() { return table_; }
    // Why a listed port cannot be opened and how to fix it; hidden when all can.
    QLabel* access_note() { return access_note_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    const sysfs::SysfsDiscovery& discovery_;
    QTableWidget* table_;
    QLabel* access_note_;
};

}  // namespace qvt::gui
