// A stand-in for the monitor program: a window titled "KVB Monitor" with one
// Start/Stop button. While started it holds the serial port named on its
// command line (COM number, then "0" for 38400 baud or "1" for 115200), sends
// "VER" and shows what the controller answers; Stop closes the port again.
//
//   KVB_Monitor <com> <0|1>       the monitor, stopped at first
//   KVB_Monitor --window <text>    just a window with that title (a stand-in
//                                 for any other tool of the family)
//
// It makes itself reachable through the desktop's accessibility interface,
// which is how the terminal presses its button. When KVB_MONITOR_LOG names a
// file, every change of state is appended to it as one line ("started COM5
// pid 123", "open COM5", "closed"), so a test can follow the hand-over of the
// port.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QVBoxLayout>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "posix/port_table.h"

namespace {

void log_line(const QString& line) {
    const QByteArray path = qgetenv("KVB_MONITOR_LOG");
    if (path.isEmpty()) return;
    QFile file(QString::fromLocal8Bit(path));
    if (file.open(QIODevice::Append)) file.write(line.toUtf8() + '\n');
}

class Monitor : public QWidget {
  public:
    Monitor(int com, int baud) : com_(com), baud_(baud) {
        setWindowTitle(QStringLiteral("KVB Monitor"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(status_);
        layout->addWidget(button_);
        layout->addWidget(received_);
        received_->setReadOnly(true);
        button_->setObjectName(QStringLiteral("StartStop"));
        connect(button_, &QPushButton::clicked, this, [this] { fd_ < 0 ? start() : stop(); });
        show_state(QStringLiteral("stopped"));
        resize(420, 260);
        log_line(
            QStringLiteral("started COM%1 pid %2").arg(com_).arg(QApplication::applicationPid()));
    }
    ~Monitor() override { stop(); }

  private:
    void start() {
        const std::optional<std::string> device = qvt::posix::PosixPortTable().device_of(com_);
        if (!device) return show_state(QStringLiteral("no COM%1").arg(com_));
        fd_ = ::open(device->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return show_state(QStringLiteral("%1 cannot be opened").arg(device->c_str()));
        termios tio{};
        if (::tcgetattr(fd_, &tio) == 0) {
            ::cfmakeraw(&tio);
            const speed_t speed = baud_ == 0 ? B38400 : B115200;
            ::cfsetispeed(&tio, speed);
            ::cfsetospeed(&tio, speed);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { drain(); });
        button_->setText(QStringLiteral("Stop"));
        show_state(QStringLiteral("holding %1").arg(device->c_str()));
        log_line(QStringLiteral("open COM%1").arg(com_));
        (void)::write(fd_, "VER\r", 4);
    }

    void stop() {
        if (fd_ < 0) return;
        notifier_.reset();
        ::close(fd_);
        fd_ = -1;
        button_->setText(QStringLiteral("Start"));
        show_state(QStringLiteral("stopped"));
        log_line(QStringLiteral("closed"));
    }

    void drain() {
        char buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            received_->moveCursor(QTextCursor::End);
            received_->insertPlainText(
                QString::fromLatin1(buffer, static_cast<int>(n)).remove('\r'));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            stop();
        }
    }

    void show_state(const QString& what) {
        status_->setText(QStringLiteral("COM%1 %2 baud: %3")
                             .arg(com_)
                             .arg(baud_ == 0 ? 38400 : 115200)
                             .arg(what));
    }

    int com_;
    int baud_;
    int fd_ = -1;
    QLabel* status_ = new QLabel(this);
    QPushButton* button_ = new QPushButton(QStringLiteral("Start"), this);
    QPlainTextEdit* received_ = new QPlainTextEdit(this);
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

int main(int argc, char** argv) {
    // The terminal finds the monitor's button through the accessibility
    // interface; a plain window needs none.
    if (argc < 2 || std::string(argv[1]) != "--window") {
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    }
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--window")) {
        QLabel window(args[2]);
        window.setWindowTitle(args[2]);
        window.resize(360, 120);
        window.show();
        return QApplication::exec();
    }
    bool com_ok = false;
    const int com = args.size() > 1 ? args[1].toInt(&com_ok) : 0;
    if (!com_ok || com <= 0) {
        std::fputs("usage: KVB_Monitor <com> <0|1> | KVB_Monitor --window <text>\n", stderr);
        return 2;
    }
    Monitor monitor(com, args.size() > 2 ? args[2].toInt() : 0);
    monitor.show();
    return QApplication::exec();
}
