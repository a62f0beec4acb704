#include "e2e/QuilletE2E.h"

#include <QLocalServer>

namespace {

struct ClientRun
{
    int exitCode = -1;
    QString standardError;
};

// A second quillet, as a desktop shortcut or a terminal runs it.
ClientRun runQuillet(const QStringList &arguments, const QString &busAddress = {})
{
    QProcess process;
    if (!busAddress.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(QUILLET_BINARY), arguments);
    // Generous: the point of the bounded cases is that they end at all.
    process.waitForFinished(60'000);
    return {process.state() == QProcess::NotRunning ? process.exitCode() : -1,
        QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

// Without a quillet the command starts one, which stays in the tray; the
// next command reaches it.
TEST_F(QuilletE2E, CaptureCommandStartsAQuilletThatStaysAndTheNextReachesIt)
{
    setArguments({"--capture", "fullscreen"});
    ASSERT_TRUE(start());
    ASSERT_EQ(waitForFiles(1).size(), 1);
    const ClientRun run = runQuillet({"--capture", "fullscreen"});
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const QStringList shots = waitForFiles(2);
    ASSERT_EQ(shots.size(), 2);
    EXPECT_EQ(QImage(shots[1]).size(), ScreenSize);
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(3).size(), 3);
    EXPECT_TRUE(isRunning());
    // The forwarding process grabbed no keys of its own: nothing was refused.
    EXPECT_FALSE(output().contains("Error registering hotkey"));
}

TEST_F(QuilletE2E, CaptureCommandRefusesBadArgumentsAndUnreachableBuses)
{
    // Accepts connections and never answers, as a wedged bus would.
    QLocalServer silentBus;
    ASSERT_TRUE(silentBus.listen(home() + QStringLiteral("/silent-bus")));
    const QString silentAddress = QStringLiteral("unix:path=") + silentBus.fullServerName();
    const struct
    {
        QStringList arguments;
        QString busAddress;
        int exitCode;
        const char *says;
    } cases[] = {
        {{"--capture", "everything"}, {}, 2, "\"everything\""},
        {{"--capture", "region"}, QStringLiteral("unix:path=") + home() + QStringLiteral("/no-bus"), 1,
            "cannot reach the session D-Bus"},
        {{"--capture", "region"}, silentAddress, 1, "does not answer"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString() + " on " + c.busAddress.toStdString());
        const ClientRun run = runQuillet(c.arguments, c.busAddress);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.standardError.contains(QLatin1String(c.says))) << run.standardError.toStdString();
        // One line of ours (Qt may add warnings of its own about the session).
        EXPECT_EQ(run.standardError.count(QLatin1String("quillet:")), 1) << run.standardError.toStdString();
    }
    EXPECT_TRUE(files().isEmpty());
}
