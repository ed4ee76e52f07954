#include "gui/atspi.h"

#include <unistd.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QVariant>

#include "gui/qt_dialogs.h"

namespace qvt::gui {

namespace {

constexpr int kCallTimeoutMs = 1000;
// Enough for any real window; a cycle or a runaway tree stops here.
constexpr int kMaxDepth = 16;
constexpr int kMaxNodes = 4000;

const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kAction = QStringLiteral("org.a11y.atspi.Action");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

struct Node {
    QString service;
    QString path;
};

QString ref_of(const Node& node) {
    return node.service + QLatin1Char('\n') + node.path;
}

Node node_of(const std::string& ref) {
    const QString text = QString::fromStdString(ref);
    const qsizetype cut = text.indexOf(QLatin1Char('\n'));
    if (cut < 0) return {};
    return {text.left(cut), text.mid(cut + 1)};
}

}  // namespace

struct AtSpi::Bus {
    std::optional<QDBusConnection> a11y;
    bool tried = false;

    QDBusConnection* connection() {
        if (!tried) {
            tried = true;
            QDBusConnection session = QDBusConnection::sessionBus();
            if (!session.isConnected()) return nullptr;
            const QDBusMessage ask = QDBusMessage::createMethodCall(
                QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
            const QDBusMessage reply = session.call(ask, QDBus::Block, kCallTimeoutMs);
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                return nullptr;
            }
            QDBusConnection bus = QDBusConnection::connectToBus(
                reply.arguments().constFirst().toString(), QStringLiteral("qvt-atspi-client"));
            if (bus.isConnected()) a11y = bus;
        }
        return a11y ? &*a11y : nullptr;
    }

    std::optional<QList<QVariant>> call(const Node& node, const QString& interface,
                                        const QString& method, const QList<QVariant>& args = {}) {
        QDBusConnection* bus = connection();
        if (bus == nullptr || node.service.isEmpty()) return std::nullopt;
        QDBusMessage message =
            QDBusMessage::createMethodCall(node.service, node.path, interface, method);
        message.setArguments(args);
        const QDBusMessage reply = bus->call(message, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) return std::nullopt;
        return reply.arguments();
    }

    QVariant property(const Node& node, const QString& interface, const QString& name) {
        const auto reply = call(node, kProperties, QStringLiteral("Get"), {interface, name});
        if (!reply || reply->isEmpty()) return {};
        return reply->constFirst().value<QDBusVariant>().variant();
    }

    QString name(const Node& node) {
        return property(node, kAccessible, QStringLiteral("Name")).toString();
    }

    QString role_name(const Node& node) {
        const auto reply = call(node, kAccessible, QStringLiteral("GetRoleName"));
        return reply && !reply->isEmpty() ? reply->constFirst().toString() : QString();
    }

    std::vector<Node> children(const Node& node) {
        std::vector<Node> result;
        const auto reply = call(node, kAccessible, QStringLiteral("GetChildren"));
        if (!reply || reply->isEmpty()) return result;
        const QDBusArgument list = reply->constFirst().value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            QString service;
            QDBusObjectPath path;
            list.beginStructure();
            list >> service >> path;
            list.endStructure();
            result.push_back({service, path.path()});
        }
        list.endArray();
        return result;
    }

    bool is_own(const QString& service) {
        const QDBusReply<uint> pid = connection()->interface()->servicePid(service);
        return pid.isValid() && pid.value() == static_cast<uint>(::getpid());
    }

    // The top-level window with this title among the applications.
    std::optional<Node> window(const std::string& title) {
        if (connection() == nullptr) return std::nullopt;
        const QString wanted = from_sjis(title);
        const Node root{QStringLiteral("org.a11y.atspi.Registry"),
                        QStringLiteral("/org/a11y/atspi/accessible/root")};
        for (const Node& application : children(root)) {
            if (is_own(application.service)) continue;
            for (const Node& top : children(application)) {
                if (name(top) == wanted) return top;
            }
        }
        return std::nullopt;
    }

    void collect(const Node& node, int depth, std::vector<platform::ChildControl>& out) {
        for (const Node& child : children(node)) {
            if (out.size() >= static_cast<std::size_t>(kMaxNodes)) return;
            out.push_back({to_sjis(role_name(child).toUpper()), to_sjis(name(child)),
                           ref_of(child).toStdString()});
            if (depth < kMaxDepth) collect(child, depth + 1, out);
        }
    }
};

AtSpi::AtSpi() : bus_(std::make_unique<Bus>()) {}
AtSpi::~AtSpi() = default;

bool AtSpi::window_exists(const std::string& title) {
    return bus_->window(title).has_value();
}

std::vector<platform::ChildControl> AtSpi::controls(const std::string& title) {
    std::vector<platform::ChildControl> result;
    if (const auto top = bus_->window(title)) bus_->collect(*top, 0, result);
    return result;
}

std::string AtSpi::text_of(const platform::ChildControl& control) {
    return to_sjis(bus_->name(node_of(control.ref)));
}

bool AtSpi::press(const platform::ChildControl& control) {
    const Node node = node_of(control.ref);
    const int count = bus_->property(node, kAction, QStringLiteral("NActions")).toInt();
    int chosen = count > 0 ? 0 : -1;
    for (int i = 0; i < count; ++i) {
        const auto reply = bus_->call(node, kAction, QStringLiteral("GetName"), {i});
        const QString action =
            reply && !reply->isEmpty() ? reply->constFirst().toString() : QString();
        if (action.compare(QLatin1String("press"), Qt::CaseInsensitive) == 0 ||
            action.compare(QLatin1String("click"), Qt::CaseInsensitive) == 0) {
            chosen = i;
            break;
        }
    }
    if (chosen < 0) return false;
    const auto done = bus_->call(node, kAction, QStringLiteral("DoAction"), {chosen});
    return done && !done->isEmpty() && done->constFirst().toBool();
}

std::optional<platform::WindowId> DesktopWindowControls::find(const std::string& title) {
    if (!windows_.can_list()) return std::nullopt;
    for (const auto& window : windows_.top_level_windows()) {
        if (window.title == title) return window.id;
    }
    return std::nullopt;
}

bool DesktopWindowControls::window_exists(const std::string& title) {
    if (windows_.can_list()) return find(title).has_value();
    return atspi_.window_exists(title);
}

void DesktopWindowControls::bring_to_front(const std::string& title) {
    if (const auto id = find(title)) windows_.activate(*id);
}

}  // namespace qvt::gui
