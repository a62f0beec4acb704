#include "platform/wayland/GnomePrimaryMonitor.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace {

const QString Service = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString Path = QStringLiteral("/org/gnome/Mutter/DisplayConfig");

} // namespace

GnomePrimaryMonitor::GnomePrimaryMonitor(Callback onChanged, QObject *parent)
    : QObject(parent)
    , m_onChanged(std::move(onChanged))
{
    QDBusConnection::sessionBus().connect(
        Service, Path, Service, QStringLiteral("MonitorsChanged"), this, SLOT(read()));
    read();
}

void GnomePrimaryMonitor::read()
{
    const QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("GetCurrentState"));
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (const std::optional<QString> connector = primaryIn(watcher->reply()))
            m_onChanged(*connector);
    });
}

// GetCurrentState returns (serial, monitors, logical_monitors, properties);
// a logical monitor is (x, y, scale, transform, primary, monitors, props)
// and each of its monitors (connector, vendor, product, serial).
std::optional<QString> GnomePrimaryMonitor::primaryIn(const QDBusMessage &state)
{
    if (state.type() != QDBusMessage::ReplyMessage || state.signature() != QLatin1String(
            "ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}"))
        return std::nullopt;
    const QDBusArgument logical = state.arguments().value(2).value<QDBusArgument>();
    std::optional<QString> primary;
    logical.beginArray();
    while (!logical.atEnd()) {
        int x = 0;
        int y = 0;
        double scale = 1;
        uint transform = 0;
        bool isPrimary = false;
        logical.beginStructure();
        logical >> x >> y >> scale >> transform >> isPrimary;
        QStringList connectors;
        logical.beginArray();
        while (!logical.atEnd()) {
            QString connector, vendor, product, serial;
            logical.beginStructure();
            logical >> connector >> vendor >> product >> serial;
            logical.endStructure();
            connectors << connector;
        }
        logical.endArray();
        QVariantMap properties;
        logical >> properties;
        logical.endStructure();
        if (isPrimary && !connectors.isEmpty())
            primary = connectors.front();
    }
    logical.endArray();
    return primary;
}
