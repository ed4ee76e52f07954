// The request socket: how another program asks a running instance for a
// program load, a LIST, a PRINT or a PRX (the requests of the hidden request
// field).
//
// How it works: the instance listens on a local socket in the per-user folder
// that only the same user may connect to. A client connects, writes one line
// and closes. The server keeps at most kMaxRequestBytes of a connection and
// judges the request when the client has closed (or after a short grace
// time): exactly one line (an optional trailing LF or CR LF), not empty, no
// other control characters. A request that passes is handed on as bytes;
// anything else is dropped without an answer.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QLocalSocket;

namespace qvt::gui {

inline constexpr int kMaxRequestBytes = 1024;

// The socket path for the current user.
QString request_socket_path();

// The request in a connection's bytes, or nothing when it is not one well-formed line.
std::optional<std::string> parse_request(const QByteArray& data);

class RequestServer : public QObject {
    Q_OBJECT

  public:
    explicit RequestServer(std::function<void(const std::string&)> on_request,
                           QObject* parent = nullptr);
    // Starts listening; false with a reason when another instance already
    // listens or the socket cannot be made.
    bool listen(const QString& path, QString* error = nullptr);
    QString path() const { return server_.fullServerName(); }

    quint64 accepted() const { return accepted_; }
    quint64 rejected() const { return rejected_; }

    // How long a client may keep a connection open before it is judged.
    static constexpr int kGraceMs = 2000;

  private:
    void on_new_connection();
    void take(QLocalSocket* socket);
    void finish(QLocalSocket* socket);

    std::function<void(const std::string&)> on_request_;
    QLocalServer server_;
    QHash<QLocalSocket*, QByteArray> buffers_;  // what each open connection sent so far
    quint64 accepted_ = 0;
    quint64 rejected_ = 0;
};

// The client side of `qvtw2k --request`: sends one line and returns; false
// with a reason when no instance listens.
bool send_request(const QString& path, const std::string& request, QString* error,
                  int timeout_ms = 2000);

}  // namespace qvt::gui
