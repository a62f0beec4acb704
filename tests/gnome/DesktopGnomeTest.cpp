#include "gnome/GnomeQuillet.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace GnomeTestSupport;

namespace {

QString quilletOnTheBus()
{
    return QDBusConnection::sessionBus().interface()->serviceOwner(QStringLiteral("io.quillet.Quillet"));
}

// The Notify calls on the session bus as dbus-monitor prints them, one
// entry per call, with the sender's unique name first. GNOME's own
// notification service forwards each to the shell: only the sender tells
// Quillet's call apart.
class NotifyWatch
{
public:
    NotifyWatch()
    {
        m_process.start(QStringLiteral("dbus-monitor"),
                        {QStringLiteral("--session"),
                         QStringLiteral("type='method_call',interface='org.freedesktop.Notifications',member='Notify'")});
        m_process.waitForStarted();
    }
    ~NotifyWatch()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }
    QStringList callsFrom(const QString &sender)
    {
        m_text += QString::fromUtf8(m_process.readAllStandardOutput());
        QStringList calls;
        for (const QString &call : m_text.split(QStringLiteral("method call "))) {
            if (call.contains(QStringLiteral("sender=") + sender + u' '))
                calls << call;
        }
        return calls;
    }

private:
    QProcess m_process;
    QString m_text;
};

} // namespace

// Qt registers its icon from a bus connection of its own: the process
// behind it tells whose it is. The extension lists "NAME@PATH" or "NAME/PATH".
TEST(DesktopGnomeTest, TheTrayIconRegistersWithTheExtension)
{
    GnomeQuillet quillet;
    ASSERT_TRUE(quillet.start());
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    const uint pid = bus->servicePid(quilletOnTheBus()).value();
    QDBusInterface watcher(QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
                           QStringLiteral("org.kde.StatusNotifierWatcher"));
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        const QStringList items = watcher.property("RegisteredStatusNotifierItems").toStringList();
        return std::any_of(items.begin(), items.end(), [&](const QString &item) {
            return bus->servicePid(item.section(QRegularExpression(QStringLiteral("[@/]")), 0, 0)).value() == pid;
        });
    })) << watcher.property("RegisteredStatusNotifierItems").toStringList().join(u' ').toStdString();
}

TEST(DesktopGnomeTest, EachCaptureIsShownAsANotificationWithItsActionsReplacingTheLast)
{
    GnomeQuillet quillet;
    ASSERT_TRUE(quillet.start({{"showPreviewThumbnail", true}}));
    NotifyWatch watch;
    const QString owner = quilletOnTheBus();
    ASSERT_EQ(GnomeQuillet::run({"--capture", "fullscreen"}), 0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return watch.callsFrom(owner).size() == 1; }));
    const QString first = watch.callsFrom(owner).front();
    for (const char *expected : {"string \"default\"", "string \"show-in-folder\"", "string \"Show in Folder\"",
                                 "string \"image-data\"", "uint32 0"})
        EXPECT_TRUE(first.contains(QLatin1String(expected))) << expected << "\n" << first.toStdString();
    // The second names the first to replace it.
    ASSERT_EQ(GnomeQuillet::run({"--capture", "fullscreen"}), 0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return watch.callsFrom(owner).size() == 2; }));
    const QString second = watch.callsFrom(owner).back();
    EXPECT_FALSE(second.section(QStringLiteral("string \"Quillet\""), 1).trimmed().startsWith(QStringLiteral("uint32 0")))
        << second.toStdString();
    EXPECT_EQ(quillet.waitForFiles(2).size(), 2);
}

// Run in a session without the AppIndicator extension.
TEST(NoTrayGnomeTest, WithoutTheExtensionAWindowOfQuilletsStandsInForTheIcon)
{
    // Below the top bar, whose clock may turn over meanwhile.
    const auto desktop = [] {
        const QImage screen = pixels(shellScreenshot());
        return screen.copy(0, 40, screen.width(), screen.height() - 40);
    };
    const QImage before = desktop();
    ASSERT_FALSE(before.isNull());
    GnomeQuillet quillet;
    ASSERT_TRUE(quillet.start());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return desktop() != before; }));
}
