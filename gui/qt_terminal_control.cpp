#include "gui/qt_terminal_control.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <QMetaObject>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace qvt::gui {

namespace {

std::vector<std::string_view> split_commas(std::string_view text) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return parts;
        text.remove_prefix(comma + 1);
    }
}

std::optional<int> to_int(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// Asks an FTDI adapter's driver to pass received bytes on at once instead of
// at its latency timer. Best effort: an adapter or kernel that refuses keeps
// working at the default pace.
void request_low_latency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    (void)::ioctl(fd, TIOCSSERIAL, &serial);
}

int driver_output_queue(int fd) {
    int queued = 0;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 ? queued : 0;
}

constexpr qint64 kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

}  // namespace

std::string tty_driver_of(const std::string& device, const std::string& sysfs_root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path node = fs::canonical(device, ec);
    if (ec) return {};
    const fs::path driver = fs::read_symlink(
        fs::path(sysfs_root) / "class" / "tty" / node.filename() / "device" / "driver", ec);
    return ec ? std::string() : driver.filename().string();
}

std::optional<SerialSettings> parse_settings(const std::string& text) {
    const auto parts = split_commas(text);
    if (parts.size() != 4) return std::nullopt;
    SerialSettings s;
    const auto baud = to_int(parts[0]);
    if (!baud || *baud <= 0) return std::nullopt;
    s.baud = *baud;
    if (parts[1].size() != 1) return std::nullopt;
    switch (parts[1][0]) {
        case 'n':
        case 'N':
            s.parity = QSerialPort::NoParity;
            break;
        case 'e':
        case 'E':
            s.parity = QSerialPort::EvenParity;
            break;
        case 'o':
        case 'O':
            s.parity = QSerialPort::OddParity;
            break;
        case 'm':
        case 'M':
            s.parity = QSerialPort::MarkParity;
            break;
        case 's':
        case 'S':
            s.parity = QSerialPort::SpaceParity;
            break;
        default:
            return std::nullopt;
    }
    const auto bits = to_int(parts[2]);
    if (!bits || *bits < 5 || *bits > 8) return std::nullopt;
    s.data_bits = static_cast<QSerialPort::DataBits>(*bits);
    const auto stop = to_int(parts[3]);
    if (!stop || (*stop != 1 && *stop != 2)) return std::nullopt;
    s.stop_bits = *stop == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop;
    return s;
}

QtTerminalControl::QtTerminalControl(const platform::PortTable& ports, QObject* parent)
    : QObject(parent), ports_(ports), driver_queue_(driver_output_queue) {
    drain_wake_.setTimerType(Qt::PreciseTimer);
    drain_wake_.setSingleShot(true);
    connect(&port_, &QSerialPort::readyRead, this, &QtTerminalControl::on_ready_read);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtTerminalControl::on_error);
}

QtTerminalControl::~QtTerminalControl() {
    OnComm = nullptr;
    if (port_.isOpen()) port_.close();
}

void QtTerminalControl::set_Settings(const std::string& settings) {
    settings_ = settings;
    if (!port_.isOpen()) return;
    if (auto s = parse_settings(settings)) {
        port_.setBaudRate(s->baud);
        port_.setParity(s->parity);
        port_.setDataBits(s->data_bits);
        port_.setStopBits(s->stop_bits);
    }
}

void QtTerminalControl::set_RTSEnable(bool on) {
    rts_enable_ = on;
    // A pty has no modem lines; the port then reports an unsupported operation,
    // which is harmless.
    if (port_.isOpen()) port_.setRequestToSend(on);
}

bool QtTerminalControl::PortOpen() const {
    return port_.isOpen() && !failed_;
}

void QtTerminalControl::set_PortOpen(bool open) {
    if (!open) {
        if (port_.isOpen()) port_.close();
        failed_ = false;
        receive_pending_ = false;
        return;
    }
    if (port_.isOpen()) return;
    const auto settings = parse_settings(settings_);
    if (!settings) throw platform::TerminalError("Invalid port settings \"" + settings_ + "\"");
    std::string device = device_override_;
    if (device.empty()) {
        const auto found = ports_.device_of(comm_port_);
        if (!found) {
            throw platform::TerminalError("COM" + std::to_string(comm_port_) +
                                          " does not exist (no such serial port)");
        }
        device = *found;
    }
    device_ = device;
    port_.setPortName(QString::fromStdString(device));
    port_.setReadBufferSize(0);
    failed_ = false;
    if (!port_.open(QIODevice::ReadWrite)) {
        const std::string why = port_.errorString().toStdString();
        port_.clearError();
        throw platform::TerminalError("Cannot open " + device + ": " + why);
    }
    port_.setBaudRate(settings->baud);
    port_.setParity(settings->parity);
    port_.setDataBits(settings->data_bits);
    port_.setStopBits(settings->stop_bits);
    port_.setFlowControl(handshaking_ == 0 ? QSerialPort::NoFlowControl
                                           : QSerialPort::HardwareControl);
    if (handshaking_ == 0) port_.setRequestToSend(rts_enable_);
    port_.clearError();
    if (tty_driver_of(device) == "ftdi_sio") request_low_latency(static_cast<int>(port_.handle()));
    // Bytes that were waiting before the open belong to nobody.
    port_.clear(QSerialPort::Input);
}

void QtTerminalControl::require_open(const char* what) const {
    if (!PortOpen()) {
        throw platform::TerminalError(std::string(what) + ": the port is not open");
    }
}

std::string QtTerminalControl::Input() {
    require_open("Input");
    const QByteArray data = input_len_ == 1 ? port_.read(1) : port_.readAll();
    std::string bytes(data.constData(), static_cast<std::size_t>(data.size()));
    if (tap_ && !bytes.empty()) tap_(false, bytes);
    return bytes;
}

void QtTerminalControl::set_Output(const std::string& bytes) {
    require_open("Output");
    if (bytes.empty()) return;
    const auto written = port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        throw platform::TerminalError("Output: " + port_.errorString().toStdString());
    }
    if (tap_) tap_(true, bytes);
    // Hand the bytes to the driver now rather than on the next loop turn: a
    // command's round trip is then one loop turn shorter.
    port_.flush();
}

int QtTerminalControl::InBufferCount() const {
    return PortOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

void QtTerminalControl::set_InBufferCount(int n) {
    if (n != 0 || !PortOpen()) return;
    port_.clear(QSerialPort::Input);
    // What the port had already buffered was on the line all the same.
    const QByteArray dropped = port_.readAll();
    if (tap_ && !dropped.isEmpty()) {
        tap_(false,
             std::string_view(dropped.constData(), static_cast<std::size_t>(dropped.size())));
    }
}

int QtTerminalControl::OutBufferCount() const {
    if (!PortOpen()) return 0;
    const int in_driver = driver_queue_ ? driver_queue_(static_cast<int>(port_.handle())) : 0;
    if (in_driver > 0) wake_when_drained(in_driver);
    return static_cast<int>(port_.bytesToWrite()) + std::max(in_driver, 0);
}

void QtTerminalControl::wake_when_drained(int bytes_in_driver) const {
    const qint64 baud = std::max<qint64>(port_.baudRate(), 1);
    const qint64 ms =
        std::max<qint64>(1, (bytes_in_driver * kBitsPerByte * 1000 + baud - 1) / baud);
    if (drain_wake_.isActive() && drain_wake_.remainingTime() <= ms) return;
    drain_wake_.start(std::chrono::milliseconds(ms));
}

void QtTerminalControl::set_OutBufferCount(int n) {
    if (n == 0 && PortOpen()) port_.clear(QSerialPort::Output);
}

void QtTerminalControl::on_ready_read() {
    if (r_threshold_ != 1 || receive_pending_ || failed_) return;
    receive_pending_ = true;
    QMetaObject::invokeMethod(this, &QtTerminalControl::deliver_receive, Qt::QueuedConnection);
}

void QtTerminalControl::deliver_receive() {
    receive_pending_ = false;
    // A wait may have taken the bytes meanwhile; an empty event would be noise.
    if (r_threshold_ != 1 || !PortOpen() || port_.bytesAvailable() == 0) return;
    raise_comm(platform::kCommEvReceive);
}

void QtTerminalControl::on_error(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::ResourceError:
            break;
        default:
            return;  // NoError, UnsupportedOperationError (a pty's RTS) and the like
    }
    if (failed_ || !port_.isOpen()) return;
    failed_ = true;
    // Closing from inside the port's own notification would delete the
    // notifier that is calling us; the flag already makes the port count as
    // closed and keeps further error signals out.
    QMetaObject::invokeMethod(
        this, [this] { fail(platform::kCommErrorDeviceGone); }, Qt::QueuedConnection);
}

void QtTerminalControl::fail(int comm_event) {
    if (port_.isOpen()) port_.close();
    failed_ = false;
    receive_pending_ = false;
    emit portClosedByError(comm_event);
    raise_comm(comm_event);
}

void QtTerminalControl::raise_comm(int comm_event) {
    comm_event_ = comm_event;
    ++comm_events_raised_;
    if (OnComm) {
        auto handler = OnComm;  // the handler may replace OnComm
        handler();
    }
}

}  // namespace qvt::gui
