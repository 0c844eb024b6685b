#include "tests/faults/accessible_boxes.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariant>
#include <atomic>
#include <optional>
#include <utility>

namespace kestrin::test {
namespace {

// Roles of the accessibility interface (AtspiRole).
constexpr uint32_t kRoleAlert = 2;
constexpr uint32_t kRoleLabel = 29;
constexpr uint32_t kRolePushButton = 43;

const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");

std::atomic<int> connectionCount{0};

struct Node {
    QString service;
    QString path;
};

}  // namespace

struct AccessibleBoxes::Impl {
    QString sessionName;
    std::optional<QString> busName;  // the accessibility bus's connection, once reached

    QDBusMessage Call(const QDBusConnection& bus, const QString& service, const QString& path,
                      const QString& interface, const QString& method,
                      const QList<QVariant>& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return bus.call(message, QDBus::Block, kCallTimeoutMs);
    }

    // The accessibility bus; asking the session bus for it starts its service on first use.
    std::optional<QDBusConnection> Bus() {
        if (busName) return QDBusConnection(*busName);
        const QDBusConnection session(sessionName);
        if (!session.isConnected()) return std::nullopt;
        const QDBusMessage reply =
            Call(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress");
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return std::nullopt;
        }
        const QString name = QStringLiteral("kestrin-a11y-%1").arg(connectionCount++);
        QDBusConnection bus =
            QDBusConnection::connectToBus(reply.arguments().first().toString(), name);
        if (!bus.isConnected()) {
            QDBusConnection::disconnectFromBus(name);
            return std::nullopt;
        }
        busName = name;
        return bus;
    }

    std::vector<Node> Children(const QDBusConnection& bus, const Node& node) {
        const QDBusMessage reply = Call(bus, node.service, node.path, kAccessible, "GetChildren");
        std::vector<Node> children;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return children;
        }
        const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            Node child;
            QDBusObjectPath path;
            list.beginStructure();
            list >> child.service >> path;
            list.endStructure();
            child.path = path.path();
            children.push_back(child);
        }
        list.endArray();
        return children;
    }

    uint32_t Role(const QDBusConnection& bus, const Node& node) {
        const QDBusMessage reply = Call(bus, node.service, node.path, kAccessible, "GetRole");
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
        return reply.arguments().first().toUInt();
    }

    std::string Name(const QDBusConnection& bus, const Node& node) {
        const QDBusMessage reply =
            Call(bus, node.service, node.path, "org.freedesktop.DBus.Properties", "Get",
                 {kAccessible, QStringLiteral("Name")});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
        return reply.arguments().first().value<QDBusVariant>().variant().toString().toStdString();
    }

    // The top-level windows of every program registered on the bus.
    std::vector<Node> TopLevels(const QDBusConnection& bus) {
        std::vector<Node> windows;
        const Node root{"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"};
        for (const Node& application : Children(bus, root)) {
            for (const Node& window : Children(bus, application)) windows.push_back(window);
        }
        return windows;
    }

    // Labels and buttons of a box, at any depth below it (buttons sit in a button panel).
    void Collect(const QDBusConnection& bus, const Node& node, int depth, ShownBox& box) {
        for (const Node& child : Children(bus, node)) {
            const uint32_t role = Role(bus, child);
            if (role == kRoleLabel) {
                const std::string text = Name(bus, child);
                if (text.empty()) continue;
                box.text += box.text.empty() ? text : "\n" + text;
            } else if (role == kRolePushButton) {
                box.buttons.push_back(Name(bus, child));
            } else if (depth < 3) {
                Collect(bus, child, depth + 1, box);
            }
        }
    }
};

AccessibleBoxes::AccessibleBoxes(const std::string& sessionBusAddress)
    : m(std::make_unique<Impl>()) {
    m->sessionName = QStringLiteral("kestrin-session-%1").arg(connectionCount++);
    QDBusConnection::connectToBus(QString::fromStdString(sessionBusAddress), m->sessionName);
}

AccessibleBoxes::~AccessibleBoxes() {
    if (m->busName) QDBusConnection::disconnectFromBus(*m->busName);
    QDBusConnection::disconnectFromBus(m->sessionName);
}

std::vector<ShownBox> AccessibleBoxes::Read() {
    std::vector<ShownBox> boxes;
    const std::optional<QDBusConnection> bus = m->Bus();
    if (!bus) return boxes;
    for (const Node& window : m->TopLevels(*bus)) {
        if (m->Role(*bus, window) != kRoleAlert) continue;
        ShownBox box;
        box.caption = m->Name(*bus, window);
        m->Collect(*bus, window, 1, box);
        boxes.push_back(box);
    }
    return boxes;
}

std::vector<std::string> AccessibleBoxes::TopLevelNames() {
    std::vector<std::string> names;
    const std::optional<QDBusConnection> bus = m->Bus();
    if (!bus) return names;
    for (const Node& window : m->TopLevels(*bus)) names.push_back(m->Name(*bus, window));
    return names;
}

}  // namespace kestrin::test
