#include "e2e/QuilletE2E.h"

#include "app/CaptureBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QLocalServer>

namespace {

struct ClientRun
{
    int exitCode = -1;
    QString standardError;
};

// A second quillet, as a desktop shortcut, a launcher or a terminal runs it;
// `changes` set ("NAME=value") or remove ("NAME") variables.
ClientRun runQuillet(const QStringList &arguments, const QString &busAddress = {}, const QStringList &changes = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!busAddress.isEmpty())
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    for (const QString &change : changes) {
        const qsizetype equals = change.indexOf(u'=');
        if (equals < 0)
            environment.remove(change);
        else
            environment.insert(change.left(equals), change.mid(equals + 1));
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUILLET_BINARY), arguments);
    // Generous: the point of the bounded cases is that they end at all. The
    // events go on meanwhile, for a bus object of this test's own.
    TestSupport::waitUntil([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(60));
    return {process.state() == QProcess::NotRunning ? process.exitCode() : -1,
        QString::fromLocal8Bit(process.readAllStandardError())};
}

QDBusMessage busCall(const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(CaptureBus::serviceName),
        QLatin1String(CaptureBus::objectPath),
        QLatin1String(method == QLatin1String("Present") ? CaptureBus::applicationInterfaceName
                                                         : CaptureBus::interfaceName),
        method);
    call.setArguments(arguments);
    return call;
}

// Resident and peak resident memory of a process, in bytes.
qint64 memoryOf(qint64 pid, const char *field)
{
    const QByteArray status = TestSupport::readFile(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

} // namespace

// Without a quillet the command starts one, which stays in the tray; the
// next command reaches it, from anywhere.
TEST_F(QuilletE2E, CaptureCommandStartsAQuilletThatStaysAndTheNextReachesIt)
{
    setArguments({"--capture", "fullscreen"});
    ASSERT_TRUE(start());
    ASSERT_EQ(waitForFiles(1).size(), 1);
    // Forwarding needs no display: a key binding may run it from anywhere.
    const ClientRun run = runQuillet({"--capture", "fullscreen"}, {}, {"DISPLAY", "WAYLAND_DISPLAY"});
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const QStringList shots = waitForFiles(2);
    ASSERT_EQ(shots.size(), 2);
    EXPECT_EQ(QImage(shots[1]).size(), ScreenSize);
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(3).size(), 3);
    EXPECT_TRUE(isRunning());
    // An X11 session never loads the Wayland half, nor what it pulls in.
    const QByteArray maps = TestSupport::readFile(QStringLiteral("/proc/%1/maps").arg(processId()));
    for (const char *library : {"quillet-wayland.so", "libpipewire-0.3", "libgio-2.0"})
        EXPECT_FALSE(maps.contains(library)) << library;
    // The forwarding process grabbed no keys of its own: nothing was refused.
    EXPECT_FALSE(output().contains("Error registering hotkey"));

    // The bus name is the lock, and it goes with its owner however that
    // ends (SIGKILL here): the next start takes it, with the shortcuts.
    stop();
    setArguments({});
    ASSERT_TRUE(start());
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(4).size(), 4);
    EXPECT_EQ(runQuillet({"--capture", "fullscreen"}).exitCode, 0);
    EXPECT_EQ(waitForFiles(5).size(), 5);
    EXPECT_FALSE(output().contains("Error registering hotkey"));
}

TEST_F(QuilletE2E, CaptureCommandRefusesBadArgumentsAndUnreachableBuses)
{
    // Accepts connections and never answers, as a wedged bus would.
    QLocalServer silentBus;
    ASSERT_TRUE(silentBus.listen(home() + QStringLiteral("/silent-bus")));
    const QString silentAddress = QStringLiteral("unix:path=") + silentBus.fullServerName();
    const QStringList noDisplay{"DISPLAY", "WAYLAND_DISPLAY"};
    const struct
    {
        QStringList arguments;
        QString busAddress;
        int exitCode;
        const char *says;
        QStringList environment = {};
    } cases[] = {
        {{"--capture", "everything"}, {}, 2, "\"everything\""},
        {{"--capture", "region"}, QStringLiteral("unix:path=") + home() + QStringLiteral("/no-bus"), 1,
            "cannot reach the session D-Bus"},
        {{"--capture", "region"}, silentAddress, 1, "does not answer"},
        {{}, silentAddress, 1, "does not answer"},
        // Nobody to forward to, and no display to become the running Quillet on.
        {{"--capture", "region"}, {}, 1, "no display", noDisplay},
        {{"--settings"}, {}, 1, "cannot open the X11 display \":9999\"", {"DISPLAY=:9999"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString() + " on " + c.busAddress.toStdString());
        const ClientRun run = runQuillet(c.arguments, c.busAddress, c.environment);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.standardError.contains(QLatin1String(c.says))) << run.standardError.toStdString();
        // One line of ours (Qt may add warnings of its own about the session).
        EXPECT_EQ(run.standardError.count(QLatin1String("quillet:")), 1) << run.standardError.toStdString();
    }
    EXPECT_TRUE(files().isEmpty());
}

// One Quillet at a time: started again, from the launcher or with --settings,
// it brings the running one's window forward with the keyboard, and the
// second process ends without grabbing a key. The onboarding stands in for
// the settings until it is completed.
TEST_F(QuilletE2E, AStartWhileQuilletRunsBringsItsWindowForward)
{
    const auto activeWindow = [] {
        return TestSupport::runProgram(QStringLiteral("xdotool"), {"getactivewindow"}).trimmed().toUInt();
    };
    const auto closeWindow = [&](quint32 window) {
        xdotool({"windowactivate", "--sync", QString::number(window), "key", "alt+F4"});
        EXPECT_TRUE(TestSupport::waitUntil([&] { return !visibleWindows().contains(window); }));
    };
    ASSERT_TRUE(start());
    for (const QStringList &arguments : {QStringList{}, QStringList{"--settings"}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const ClientRun again = runQuillet(arguments);
        EXPECT_EQ(again.exitCode, 0) << again.standardError.toStdString();
        const auto window = waitFor([&] { return findWindow(QStringLiteral("Quillet Settings")); });
        ASSERT_TRUE(window) << "no settings window";
        EXPECT_TRUE(TestSupport::waitUntil([&] { return activeWindow() == *window; }));
        closeWindow(*window);
    }
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(1).size(), 1);
    EXPECT_FALSE(output().contains("Error registering hotkey"));

    stop();
    ASSERT_TRUE(start({{"hasCompletedOnboarding", false}}));
    auto onboarding = waitFor([&] { return findWindow(QStringLiteral("Welcome to Quillet")); });
    ASSERT_TRUE(onboarding);
    closeWindow(*onboarding);
    EXPECT_EQ(runQuillet({}).exitCode, 0);
    onboarding = waitFor([&] { return findWindow(QStringLiteral("Welcome to Quillet")); });
    ASSERT_TRUE(onboarding) << "the onboarding did not come back";
    EXPECT_TRUE(TestSupport::waitUntil([&] { return activeWindow() == *onboarding; }));
}

// Whatever holds the name answers for Quillet: a start asks it, never runs
// a second Quillet beside it, and prints its refusal in one line.
TEST_F(QuilletE2E, AStartHandsItsRequestToWhoeverHoldsTheNameAndPrintsItsRefusal)
{
    struct StandIn : QDBusVirtualObject
    {
        QStringList calls;
        QString introspect(const QString &) const override { return {}; }
        bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
        {
            calls << message.member();
            connection.send(message.createErrorReply(
                QLatin1String(CaptureBus::busyError), QStringLiteral("Too many captures at once")));
            return true;
        }
    } standIn;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerVirtualObject(QLatin1String(CaptureBus::objectPath), &standIn));
    ASSERT_TRUE(bus.registerService(QLatin1String(CaptureBus::serviceName)));
    for (const QStringList &arguments : {QStringList{"--capture", "window"}, QStringList{}}) {
        const ClientRun run = runQuillet(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.standardError.count(QLatin1String("quillet:")), 1) << run.standardError.toStdString();
        EXPECT_TRUE(run.standardError.contains(QLatin1String("Too many captures at once")));
    }
    EXPECT_EQ(standIn.calls, (QStringList{"CaptureWindow", "Present"}));
    bus.unregisterService(QLatin1String(CaptureBus::serviceName));
    bus.unregisterObject(QLatin1String(CaptureBus::objectPath));
}

// A burst of bus requests is answered at once, each taken (maybe joining
// the same capture still waiting to start) or refused as busy; the delay
// has the command line's bounds; and the captures in flight never hold more
// than a few screen images.
TEST_F(QuilletE2E, ABurstOfBusRequestsIsAnsweredAtOnceWithoutPilingUpImages)
{
    ASSERT_TRUE(start());
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusMessage tooLong = bus.call(busCall(QStringLiteral("CaptureFullscreen"), {2147483647}));
    EXPECT_EQ(tooLong.errorName(), QLatin1String(CaptureBus::invalidArgsError));
    // Idle after one capture, so that what every capture loads is in.
    ASSERT_EQ(bus.call(busCall(QStringLiteral("CaptureFullscreen"), {0})).type(), QDBusMessage::ReplyMessage);
    ASSERT_EQ(waitForFiles(1).size(), 1);
    const qint64 pid = processId();
    const qint64 idle = memoryOf(pid, "VmRSS:");
    ASSERT_TRUE(TestSupport::writeFile(QStringLiteral("/proc/%1/clear_refs").arg(pid), "5")); // resets the peak
    QList<QDBusPendingCall> calls;
    for (int i = 0; i < 200; ++i)
        calls << bus.asyncCall(busCall(QStringLiteral("CaptureFullscreen"), {i % 3}));
    qsizetype answered = 0;
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        while (answered < calls.size() && calls[answered].isFinished())
            ++answered;
        return answered == calls.size();
    }));
    int taken = 0;
    for (const QDBusPendingCall &call : calls) {
        EXPECT_TRUE(!call.isError() || call.error().name() == QLatin1String(CaptureBus::busyError))
            << call.error().name().toStdString();
        taken += !call.isError();
    }
    EXPECT_GE(taken, 1);
    // The countdown of the last delayed request taken ends in one more file.
    EXPECT_GE(waitForFiles(3).size(), 3);
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer holds freed blocks back in its quarantine, so its
    // peak says nothing of the images the program keeps.
    const qint64 screenImage = qint64(ScreenSize.width()) * ScreenSize.height() * 4;
    EXPECT_LE(memoryOf(pid, "VmHWM:") - idle, 4 * screenImage)
        << "idle " << idle << ", peak " << memoryOf(pid, "VmHWM:");
#endif
}
