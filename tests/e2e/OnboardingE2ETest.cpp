#include "e2e/QuilletE2E.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>

#include <csignal>

// The first-run window of the real program, as a new user meets it.
namespace {

class OnboardingE2E : public QuilletE2E
{
protected:
    // Starts as a new user would, or, with `again`, on what the last run
    // stored; returns the onboarding window once it shows.
    std::optional<quint32> startAndWaitForOnboarding(bool again = true)
    {
        stop();
        sinceStart.start();
        if (!(again ? start({}, false) : start({{"hasCompletedOnboarding", false}})))
            return std::nullopt;
        return waitFor([&] { return findWindow(QStringLiteral("Welcome to Quillet")); });
    }
    bool waitUntilGone(quint32 window)
    {
        return TestSupport::waitUntil([&] { return !visibleWindows().contains(window); });
    }
    // Later than the onboarding would open, then a capture that must work:
    // once its file is there, a window that was due would be there too.
    void captureOnceTheOnboardingWasDue(int files)
    {
        TestSupport::waitUntil([&] { return sinceStart.elapsed() > 1000; });
        key(Fullscreen);
        EXPECT_EQ(waitForFiles(files).size(), files);
    }

    QElapsedTimer sinceStart;
};

// The process whose program is this file, or 0.
qint64 processRunning(const QString &program)
{
    for (const QFileInfo &entry : QDir(QStringLiteral("/proc")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = entry.fileName().toLongLong(&number);
        if (number && QFileInfo(entry.filePath() + QStringLiteral("/exe")).symLinkTarget() == program)
            return pid;
    }
    return 0;
}

// Closed early, it comes back at the next start; Ctrl+Q quits the program;
// Return walks through to the end, and finished, it stays away.
TEST_F(OnboardingE2E, TheOnboardingShowsUntilItIsFinished)
{
    auto window = startAndWaitForOnboarding(false);
    ASSERT_TRUE(window) << "no onboarding window";
    EXPECT_GE(sinceStart.elapsed(), 300);
    const QRect area = geometryOf(*window);
    EXPECT_EQ(area.size(), QSize(520, 520)); // everything inside the frame
    EXPECT_NEAR(area.center().x(), ScreenSize.width() / 2, 8);
    EXPECT_NEAR(area.center().y(), ScreenSize.height() / 2, 40);
    // A dialog that asks for neither minimising nor maximising (functions
    // and decorations without them); openbox takes away maximising.
    const QByteArray properties = TestSupport::runProgram(QStringLiteral("xprop"),
        {"-id", QString::number(*window), "_NET_WM_WINDOW_TYPE", "_MOTIF_WM_HINTS", "_NET_WM_ALLOWED_ACTIONS"});
    EXPECT_TRUE(properties.contains("= _NET_WM_WINDOW_TYPE_DIALOG")) << properties.constData();
    const QList<QByteArray> motif = properties.split('\n').value(1).split('=').value(1).split(',');
    ASSERT_GE(motif.size(), 3) << properties.constData();
    EXPECT_EQ(motif[1].trimmed().toUInt(nullptr, 0) & 0x18, 0u) << properties.constData(); // functions
    EXPECT_EQ(motif[2].trimmed().toUInt(nullptr, 0) & 0x60, 0u) << properties.constData(); // decorations
    EXPECT_FALSE(properties.contains("MAXIMIZE")) << properties.constData();
    captureOnceTheOnboardingWasDue(1); // the shortcuts work while it is open
    xdotool({"windowactivate", "--sync", QString::number(*window), "key", "alt+F4"});
    ASSERT_TRUE(waitUntilGone(*window));
    EXPECT_TRUE(isRunning()) << "closing the window ended the program";
    EXPECT_EQ(storedDefaults().value("hasCompletedOnboarding"), false);
    window = startAndWaitForOnboarding();
    ASSERT_TRUE(window) << "the onboarding did not come back";
    xdotool({"windowactivate", "--sync", QString::number(*window), "key", "ctrl+q"});
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !isRunning(); }));
    window = startAndWaitForOnboarding();
    ASSERT_TRUE(window);
    // Next five times, then Get Started.
    for (int page = 0; page < 6; ++page)
        xdotool({"windowactivate", "--sync", QString::number(*window), "key", "Return"});
    ASSERT_TRUE(waitUntilGone(*window)) << "Return did not finish the onboarding";
    EXPECT_TRUE(isRunning());
    EXPECT_EQ(storedDefaults().value("hasCompletedOnboarding"), true);
    stop();
    sinceStart.start();
    ASSERT_TRUE(start({}, false));
    captureOnceTheOnboardingWasDue(2);
    EXPECT_FALSE(findWindow(QStringLiteral("Welcome to Quillet")));
}

// Run from the build folder, the second page installs Quillet for this user
// and hands over to the installed copy, which holds the shortcuts and the
// bus name.
TEST_F(OnboardingE2E, InstallingForThisUserHandsOverToTheInstalledCopy)
{
    const auto window = startAndWaitForOnboarding(false);
    ASSERT_TRUE(window);
    // Next, then the install button, the first control of the second page.
    xdotool({"windowactivate", "--sync", QString::number(*window), "key", "Return", "Tab", "space"});
    const QString installed = home() + QStringLiteral("/.local/bin/quillet");
    qint64 copy = 0;
    ASSERT_TRUE(TestSupport::waitUntil([&] { return (copy = processRunning(installed)) != 0; }))
        << "the installed copy did not start";
    const auto stopCopy = qScopeGuard([&] { ::kill(pid_t(copy), SIGKILL); });
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !isRunning(); })) << "the first instance stayed";
    const QString entry = home() + QStringLiteral("/.local/share/applications/io.quillet.Quillet.desktop");
    EXPECT_TRUE(TestSupport::readFile(entry).contains("\nExec=\"" + installed.toUtf8() + "\" --settings\n"));
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        return TestSupport::runProgram(QStringLiteral("gdbus"),
            {"call", "--session", "--dest", "org.freedesktop.DBus", "--object-path", "/org/freedesktop/DBus",
                "--method", "org.freedesktop.DBus.GetConnectionUnixProcessID", "io.quillet.Quillet"})
            .contains("(uint32 " + QByteArray::number(copy) + ",)");
    })) << "the bus name is not the copy's";
    // The copy opens the onboarding again, its shortcuts live.
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(1).size(), 1);
}

} // namespace
