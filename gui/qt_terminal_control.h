// The terminal control on a real serial port (QSerialPort) plus the shared
// screen side.
//
// How it works: set_PortOpen(true) resolves CommPort() through the port table
// (or takes an explicit device path), opens it 8N1 at the baud rate of
// Settings() without flow control and with RTS off. Arrivals are delivered as
// OnComm from a queued call rather than from inside the port's readyRead
// signal: a receive handler may pump the event loop, and a device does not
// re-signal readyRead while its own signal is still being handled.
//
// On an FTDI USB-serial port (driver ftdi_sio) the open also asks the driver
// for low-latency mode. The adapter otherwise holds received bytes up to its
// 16 ms latency timer, so a command line and its acknowledgement take about
// 20 ms; in low-latency mode about 5 ms. The request (ASYNC_LOW_LATENCY via
// TIOCSSERIAL) needs no privileges; where it is refused the port simply works
// at the slower pace, so a failure is not reported.
//
// OutBufferCount() counts the bytes Qt still holds and those the driver still
// holds for the line (TIOCOUTQ on the port's handle), so a wait for the output
// to drain does not end while bytes are still on their way. The driver raises
// no event when its queue empties; while it holds bytes the control keeps a
// precise single-shot timer set for the moment the line should have sent them
// (10 bits a byte at the port's baud rate), and that timer's event brings a
// wait blocked in the event loop back to look again.
//
// A read, write or resource error closes the port and raises exactly one
// OnComm with an error CommEvent; without that, a vanished device is
// re-signalled by the port in a tight loop. Screen changes, focus requests and
// scroll requests leave as Qt signals for the view.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/port_table.h"
#include "core/terminal/control_base.h"

namespace qvt::gui {

struct SerialSettings {
    qint32 baud = 38400;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits data_bits = QSerialPort::Data8;
    QSerialPort::StopBits stop_bits = QSerialPort::OneStop;
};
// Parses "38400,n,8,1"; nothing when the text is malformed.
std::optional<SerialSettings> parse_settings(const std::string& text);
// The kernel driver behind a serial device path (links followed), from
// <sysfs_root>/class/tty/<name>/device/driver; empty when unknown.
std::string tty_driver_of(const std::string& device, const std::string& sysfs_root = "/sys");

class QtTerminalControl : public QObject, public terminal::ControlBase {
    Q_OBJECT

  public:
    explicit QtTerminalControl(const platform::PortTable& ports, QObject* parent = nullptr);
    ~QtTerminalControl() override;

    // A device path that replaces the CommPort lookup at the next open; empty
    // returns to the lookup.
    void set_Device(const std::string& path) { device_override_ = path; }
    // The device of the open port (or of the last open).
    const std::string& device() const { return device_; }

    void set_Settings(const std::string& settings) override;
    void set_RTSEnable(bool on) override;
    bool PortOpen() const override;
    void set_PortOpen(bool open) override;
    std::string Input() override;
    void set_Output(const std::string& bytes) override;
    int InBufferCount() const override;
    void set_InBufferCount(int n) override;
    int OutBufferCount() const override;
    void set_OutBufferCount(int n) override;
    int CommEvent() const override { return comm_event_; }

    // How many OnComm calls were raised (receive and error); for status and tests.
    quint64 comm_events_raised() const { return comm_events_raised_; }

    // The bytes the driver holds for sending on the port with this handle;
    // tests stand in for a serial driver (a pseudo-terminal holds none).
    using DriverQueue = std::function<int(int handle)>;
    void set_driver_queue(DriverQueue query) { driver_queue_ = std::move(query); }

    // Sees every chunk written to the port and every chunk taken from it
    // (sent true for the former); the session log listens here.
    using Tap = std::function<void(bool sent, std::string_view bytes)>;
    void set_tap(Tap tap) { tap_ = std::move(tap); }

  signals:
    void screenChanged();
    void focusRequested();
    void portClosedByError(int comm_event);

  protected:
    void screen_changed() override { emit screenChanged(); }
    void focus_requested() override { emit focusRequested(); }

  private:
    void on_ready_read();
    void deliver_receive();
    void on_error(QSerialPort::SerialPortError error);
    void fail(int comm_event);
    void raise_comm(int comm_event);
    void require_open(const char* what) const;
    void wake_when_drained(int bytes_in_driver) const;

    const platform::PortTable& ports_;
    QSerialPort port_;
    std::string device_override_;
    std::string device_;
    int comm_event_ = 0;
    bool receive_pending_ = false;
    bool failed_ = false;
    quint64 comm_events_raised_ = 0;
    DriverQueue driver_queue_;
    Tap tap_;
    mutable QTimer drain_wake_;
};

}  // namespace qvt::gui
