#include "platform/StatusNotifierWatcherAvailability.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString watcherInterface = QStringLiteral("org.kde.StatusNotifierWatcher");

bool hostRegisteredIn(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

StatusNotifierWatcherAvailability::StatusNotifierWatcherAvailability(QDBusConnection bus, QObject *parent)
    : TrayAvailability(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(watcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString &, const QString &, const QString &newOwner) { ownerChanged(newOwner); });
    // A host that comes or goes while the watcher stays.
    for (const char *signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        m_bus.connect(watcherService, watcherPath, watcherInterface, QLatin1String(signal), this, SLOT(hostsChanged()));
    m_available = hostRegisteredIn(m_bus.call(hostQuestion(), QDBus::Block, AnswerTimeoutMs));
}

StatusNotifierWatcherAvailability::~StatusNotifierWatcherAvailability() = default;

QDBusMessage StatusNotifierWatcherAvailability::hostQuestion() const
{
    QDBusMessage question = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    question << watcherInterface << QStringLiteral("IsStatusNotifierHostRegistered");
    return question;
}

void StatusNotifierWatcherAvailability::ownerChanged(const QString &newOwner)
{
    if (newOwner.isEmpty())
        setAvailable(false);
    else
        hostsChanged();
}

// Asked without blocking: the watcher may be busy registering its host.
void StatusNotifierWatcherAvailability::hostsChanged()
{
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(hostQuestion(), AnswerTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        setAvailable(hostRegisteredIn(call->reply()));
    });
}

void StatusNotifierWatcherAvailability::setAvailable(bool available)
{
    if (available == m_available)
        return;
    m_available = available;
    emit availableChanged(available);
}
