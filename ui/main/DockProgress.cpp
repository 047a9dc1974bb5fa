#include "ui/main/DockProgress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>
#include <utility>

const QString DockProgress::AppUri = QStringLiteral("application://com.example.zarvel.desktop");

namespace {

const QString ObjectPath = QStringLiteral("/com/example/zarvel");
const QString Interface = QStringLiteral("com.canonical.Unity.LauncherEntry");
const QString ConnectionName = QStringLiteral("zarvel-dock");

// The session bus's address as the session gives it. Without one, libdbus would try to launch a bus of its own
// for an X display, which a program that only wants to tell a dock must never do.
QString sessionBusAddress() {
    const QString given = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!given.isEmpty())
        return given;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
        return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
    return {};
}

} // namespace

bool DockProgress::connected() {
    if (!std::exchange(m_tried, true)) {
        const QString address = sessionBusAddress();
        m_connected = !address.isEmpty() && QDBusConnection::connectToBus(address, ConnectionName).isConnected();
    }
    return m_connected;
}

void DockProgress::show(const TaskbarProgress& progress) {
    if (!connected())
        return;
    // The signal has no error state: a failure asks for attention instead, until its box is answered.
    QVariantMap properties;
    properties.insert(QStringLiteral("progress-visible"), progress.state == TaskbarProgress::State::Normal);
    properties.insert(QStringLiteral("progress"), progress.percent / 100.0);
    properties.insert(QStringLiteral("urgent"), progress.state == TaskbarProgress::State::Error);
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, Interface, QStringLiteral("Update"));
    signal << AppUri << properties;
    QDBusConnection(ConnectionName).send(signal);
}
