#include "gui/request_socket.h"

#include <QFile>
#include <QLocalSocket>
#include <QTimer>

#include "posix/user_folder.h"

namespace qvt::gui {

namespace {

constexpr const char* kSocketName = "qvtw2k-request.sock";

}  // namespace

QString request_socket_path() {
    const auto dir = posix::ensure_user_folder();
    return QFile::decodeName((dir / kSocketName).string().c_str());
}

std::optional<std::string> parse_request(const QByteArray& data) {
    if (data.size() > kMaxRequestBytes) return std::nullopt;
    QByteArray line = data;
    if (line.endsWith('\n')) line.chop(1);
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) return std::nullopt;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        // Bytes from 0x80 up are Shift-JIS or UTF-8 text of a file name.
        if (byte < 0x20 || byte == 0x7f) return std::nullopt;
    }
    return std::string(line.constData(), static_cast<std::size_t>(line.size()));
}

RequestServer::RequestServer(std::function<void(const std::string&)> on_request, QObject* parent)
    : QObject(parent), on_request_(std::move(on_request)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &RequestServer::on_new_connection);
}

bool RequestServer::listen(const QString& path, QString* error) {
    // Listening with access options replaces whatever sits at the path, so a
    // live instance has to be asked first; a leftover of a crashed one is
    // simply replaced.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500)) {
        probe.abort();
        if (error) *error = QStringLiteral("another instance already listens on ") + path;
        return false;
    }
    QLocalServer::removeServer(path);
    if (server_.listen(path)) return true;
    if (error) *error = server_.errorString();
    return false;
}

void RequestServer::on_new_connection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        buffers_.insert(socket, QByteArray());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { take(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        QTimer::singleShot(kGraceMs, socket, [socket] { socket->abort(); });
        if (socket->state() != QLocalSocket::ConnectedState) finish(socket);
    }
}

void RequestServer::take(QLocalSocket* socket) {
    auto it = buffers_.find(socket);
    if (it == buffers_.end()) return;
    // One byte more than allowed is kept, so an oversize request shows as such.
    const qint64 room = kMaxRequestBytes + 1 - it->size();
    if (room > 0) it->append(socket->read(room));
    socket->readAll();
}

void RequestServer::finish(QLocalSocket* socket) {
    auto it = buffers_.find(socket);
    if (it == buffers_.end()) return;
    take(socket);
    const QByteArray data = *it;
    buffers_.erase(it);
    socket->deleteLater();
    if (auto request = parse_request(data)) {
        ++accepted_;
        if (on_request_) on_request_(*request);
    } else {
        ++rejected_;
    }
}

bool send_request(const QString& path, const std::string& request, QString* error, int timeout_ms) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeout_ms)) {
        if (error) {
            *error = QStringLiteral("no running QVTW2K instance listens on ") + path + " (" +
                     socket.errorString() + ")";
        }
        return false;
    }
    const QByteArray line = QByteArray::fromStdString(request) + '\n';
    socket.write(line);
    if (!socket.waitForBytesWritten(timeout_ms) && socket.bytesToWrite() > 0) {
        if (error) *error = QStringLiteral("could not send the request: ") + socket.errorString();
        return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeout_ms);
    return true;
}

}  // namespace qvt::gui
