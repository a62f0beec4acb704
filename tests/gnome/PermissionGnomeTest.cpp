#include "gnome/GnomeQuillet.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>

#include <gtest/gtest.h>

using namespace GnomeTestSupport;

// A first run on GNOME: nobody has answered the portal's screenshot
// question yet (with-gnome --no-seed).
class PermissionGnomeTest : public ::testing::Test
{
protected:
    // What the portal's permission store holds for programs outside a
    // sandbox: "yes", "no", or nothing yet.
    static QString storedAnswer()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
            QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
            QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("Lookup"));
        call.setArguments({QStringLiteral("screenshot"), QStringLiteral("screenshot")});
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        QMap<QString, QStringList> apps;
        reply.arguments().value(0).value<QDBusArgument>() >> apps;
        return apps.value(QString()).value(0);
    }
    static bool storeAnswer(const QString &answer)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
            QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
            QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("SetPermission"));
        call.setArguments({QStringLiteral("screenshot"), true, QStringLiteral("screenshot"), QString(), QStringList{answer}});
        return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
    }
    // The screen below the top bar, where dialogs show: the tray icon comes
    // into the top bar in its own time.
    static QImage belowTopBar()
    {
        const QImage screen = pixels(shellScreenshot());
        return screen.copy(0, 48, screen.width(), screen.height() - 48);
    }
    static QStringList portalLeftovers()
    {
        return QDir(sessionHome()).entryList({QStringLiteral("Screenshot*.png")}, QDir::Files)
            + QDir(sessionHome() + QStringLiteral("/Pictures")).entryList({QStringLiteral("Screenshot*.png")}, QDir::Files);
    }
};

TEST_F(PermissionGnomeTest, FirstCaptureAsksOnceAndTheAnswerGrantsCapturesFromThenOn)
{
    GnomeQuillet quillet;
    ASSERT_TRUE(quillet.start());
    const std::unique_ptr<RemoteInput> input = RemoteInput::open();
    ASSERT_NE(input, nullptr);
    const QImage desktop = belowTopBar();

    // Without the permission a capture only asks: GNOME's dialog comes up,
    // and the command returns at once rather than wait for the user.
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return belowTopBar() != desktop; })) << "no dialog";
    // A second capture while the question is open adds no second dialog.
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);

    // "Allow", on the right of the dialog's two buttons in the screen's middle.
    const QSize screen = pixels(shellScreenshot()).size();
    ASSERT_TRUE(input->click(QPoint(screen.width() / 2 + 120, screen.height() / 2 + 96)));
    EXPECT_TRUE(TestSupport::waitUntil([] { return storedAnswer() == QLatin1String("yes"); }));
    // One click took every dialog away: none was stacked behind it.
    EXPECT_TRUE(TestSupport::waitUntil([&] { return belowTopBar() == desktop; })) << "a dialog is left";
    EXPECT_TRUE(quillet.files().isEmpty()) << "asking captured something";
    // Asking took a screenshot of the portal's own; it goes once the
    // portal's answer has reached Quillet.
    EXPECT_TRUE(TestSupport::waitUntil([] { return portalLeftovers().isEmpty(); })) << "the portal's file is left";

    // Quillet sees the grant on its own (its poll) and captures from now on.
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")});
        return TestSupport::waitUntil([&] { return !quillet.files().isEmpty(); }, std::chrono::seconds(3));
    }));
    if (HasFailure())
        std::cerr << "quillet's output:\n" << quillet.output().constData() << std::endl;
}

TEST_F(PermissionGnomeTest, AfterARefusalACaptureSaysHowToGetItBackAndItsButtonAsksAgain)
{
    // The user answered "Deny" some time ago.
    ASSERT_TRUE(storeAnswer(QStringLiteral("no")));
    GnomeQuillet quillet;
    quillet.removeFiles();
    ASSERT_TRUE(quillet.start());
    const std::unique_ptr<RemoteInput> input = RemoteInput::open();
    ASSERT_NE(input, nullptr);
    const QImage desktop = belowTopBar();

    // GNOME asks nothing after a refusal: the alert is Quillet's, a second
    // capture adds no second one, and one Escape dismisses it with nothing
    // captured and the refusal kept.
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return belowTopBar() != desktop; })) << "no alert";
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("region")}), 0);
    ASSERT_TRUE(input->keys({Keysym::Escape}));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return belowTopBar() == desktop; })) << "the alert stayed";
    EXPECT_EQ(storedAnswer(), QLatin1String("no"));

    // Again, and this time its default button: GNOME's question comes back.
    ASSERT_EQ(GnomeQuillet::run({QStringLiteral("--capture"), QStringLiteral("fullscreen")}), 0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return belowTopBar() != desktop; })) << "no alert the second time";
    ASSERT_TRUE(input->keys({Keysym::Return}));
    EXPECT_TRUE(TestSupport::waitUntil([] { return storedAnswer().isEmpty(); })) << "the refusal was kept";
    const QSize screen = pixels(shellScreenshot()).size();
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        input->click(QPoint(screen.width() / 2 + 120, screen.height() / 2 + 96));
        return storedAnswer() == QLatin1String("yes");
    })) << "GNOME did not ask again";
    EXPECT_TRUE(quillet.files().isEmpty()) << "a capture was saved while refused";
    EXPECT_TRUE(TestSupport::waitUntil([&] { return belowTopBar() == desktop; })) << "a dialog is left";
    if (HasFailure())
        std::cerr << "quillet's output:\n" << quillet.output().constData() << std::endl;
}
