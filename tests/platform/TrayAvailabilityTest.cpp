#include "platform/StatusNotifierWatcherAvailability.h"
#include "platform/x11/X11TrayAvailability.h"
#include "platform/x11/XcbSupport.h"

#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

// An XEmbed tray as far as the selection goes: a window of another
// connection that owns _NET_SYSTEM_TRAY_S<screen> until it is destroyed.
class SelectionOwner
{
public:
    SelectionOwner()
        : m_connection(Xcb::Connection::open())
        , m_window(xcb_generate_id(m_connection->get()))
    {
        xcb_connection_t *c = m_connection->get();
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_connection->root(), 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(m_connection->screenNumber());
        xcb_set_selection_owner(c, m_window, Xcb::atom(c, name.constData()), XCB_CURRENT_TIME);
        xcb_flush(c);
    }
    void destroyWindow()
    {
        xcb_destroy_window(m_connection->get(), m_window);
        xcb_flush(m_connection->get());
    }

private:
    std::unique_ptr<Xcb::Connection> m_connection;
    xcb_window_t m_window;
};

// A tray host that comes and goes with its owner window, and one that a
// second watcher sees at once; each change is told once.
TEST(X11TrayAvailabilityTest, FollowsTheOwnerOfTheTraySelection)
{
    X11TrayAvailability tray;
    QSignalSpy changes(&tray, &TrayAvailability::availableChanged);
    EXPECT_FALSE(tray.isAvailable());
    SelectionOwner owner;
    ASSERT_TRUE(TestSupport::waitUntil([&] { return tray.isAvailable(); }));
    EXPECT_TRUE(X11TrayAvailability().isAvailable());
    owner.destroyWindow();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !tray.isAvailable(); }));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_FALSE(X11TrayAvailability().isAvailable());
}

// The watcher's side of org.kde.StatusNotifierWatcher, as much as matters
// here. It lives in a thread of its own: the availability asks it
// synchronously at construction.
class FakeWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)

public:
    bool isHostRegistered() const { return hostRegistered; }
    std::atomic<bool> hostRegistered = false;

signals:
    void StatusNotifierHostRegistered();
};

class WatcherOnTheBus
{
public:
    WatcherOnTheBus()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher")))
    {
        // Registered first: the bus gives the object a helper child, which moves along.
        m_bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &m_watcher,
            QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSignals);
        m_thread.start();
        m_watcher.moveToThread(&m_thread);
    }
    ~WatcherOnTheBus()
    {
        QThread *here = QThread::currentThread();
        QMetaObject::invokeMethod(
            &m_watcher, [this, here] { m_watcher.moveToThread(here); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
        m_bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    }
    bool isConnected() const { return m_bus.isConnected(); }
    bool claimName(bool claim)
    {
        const QString name = QStringLiteral("org.kde.StatusNotifierWatcher");
        return claim ? m_bus.registerService(name) : m_bus.unregisterService(name);
    }
    void registerHost()
    {
        m_watcher.hostRegistered = true;
        QMetaObject::invokeMethod(&m_watcher, [this] { emit m_watcher.StatusNotifierHostRegistered(); });
    }

private:
    QDBusConnection m_bus;
    QThread m_thread;
    FakeWatcher m_watcher;
};

// Available only while a watcher is on the bus with a host registered: a
// watcher without a host is no tray; a host that registers later, a watcher
// that goes and one that comes back with its host are followed.
TEST(StatusNotifierWatcherAvailabilityTest, FollowsTheWatcherAndItsHost)
{
    WatcherOnTheBus watcher;
    ASSERT_TRUE(watcher.isConnected()) << "no session bus";
    StatusNotifierWatcherAvailability tray;
    QSignalSpy changes(&tray, &TrayAvailability::availableChanged);
    EXPECT_FALSE(tray.isAvailable());
    ASSERT_TRUE(watcher.claimName(true));
    EXPECT_FALSE(StatusNotifierWatcherAvailability().isAvailable()) << "a watcher without a host";
    watcher.registerHost();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return tray.isAvailable(); }));
    EXPECT_TRUE(StatusNotifierWatcherAvailability().isAvailable());
    ASSERT_TRUE(watcher.claimName(false));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !tray.isAvailable(); }));
    ASSERT_TRUE(watcher.claimName(true));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return tray.isAvailable(); }));
    EXPECT_EQ(changes.count(), 3);
}

} // namespace

#include "TrayAvailabilityTest.moc"
