#include "platform/StatusNotifierWatcherAvailability.h"
#include "platform/x11/X11TrayAvailability.h"

#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// A tray host that starts and quits is followed, each change told once;
// one made while the host runs sees it at once.
TEST(X11TrayAvailabilityTest, FollowsATrayHostStartingAndQuitting)
{
    X11TrayAvailability tray;
    QSignalSpy changes(&tray, &TrayAvailability::availableChanged);
    EXPECT_FALSE(tray.isAvailable());
    QProcess trayer;
    trayer.start(QStringLiteral("trayer"), {});
    ASSERT_TRUE(trayer.waitForStarted());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return tray.isAvailable(); }));
    EXPECT_TRUE(X11TrayAvailability().isAvailable());
    trayer.kill();
    trayer.waitForFinished();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !tray.isAvailable(); }));
    EXPECT_EQ(changes.count(), 2);
}

// The watcher's side of org.kde.StatusNotifierWatcher, as much as matters here.
class FakeWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)

public:
    bool isHostRegistered() const
    {
        ++reads;
        return hostRegistered;
    }
    bool hostRegistered = false;
    mutable int reads = 0;

signals:
    void StatusNotifierHostRegistered();
};

// Available only while a watcher is on the bus with a host registered: a
// watcher without a host is no tray; a host that registers later, a watcher
// that goes and one that comes back with its host are followed.
TEST(StatusNotifierWatcherAvailabilityTest, FollowsTheWatcherAndItsHost)
{
    const QString name = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher"));
    ASSERT_TRUE(bus.isConnected()) << "no session bus";
    // Made before the watcher is there: asking a watcher of this very thread
    // synchronously, as construction does, would wait for itself.
    StatusNotifierWatcherAvailability tray;
    QSignalSpy changes(&tray, &TrayAvailability::availableChanged);
    EXPECT_FALSE(tray.isAvailable());
    FakeWatcher watcher;
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
        QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSignals));
    ASSERT_TRUE(bus.registerService(name));
    // Asked, and the answer taken in.
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return watcher.reads > 0 && tray.findChildren<QDBusPendingCallWatcher *>().isEmpty();
    }));
    EXPECT_FALSE(tray.isAvailable()) << "a watcher without a host";
    watcher.hostRegistered = true;
    emit watcher.StatusNotifierHostRegistered();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return tray.isAvailable(); }));
    ASSERT_TRUE(bus.unregisterService(name));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !tray.isAvailable(); }));
    ASSERT_TRUE(bus.registerService(name));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return tray.isAvailable(); }));
    EXPECT_EQ(changes.count(), 3);
    bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
}

} // namespace

#include "TrayAvailabilityTest.moc"
