#include "e2e/QuilletE2E.h"

#include <QElapsedTimer>

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

// Closed early, it comes back at the next start; its menu bar quits the
// program; finished, it stays away.
TEST_F(OnboardingE2E, TheOnboardingShowsUntilItIsFinished)
{
    auto window = startAndWaitForOnboarding(false);
    ASSERT_TRUE(window) << "no onboarding window";
    EXPECT_GE(sinceStart.elapsed(), 300);
    const QRect area = geometryOf(*window);
    EXPECT_EQ(area.width(), 520);
    // The content is 520 points high; the menu bar stands above it.
    EXPECT_GT(area.height(), 520);
    EXPECT_LT(area.height(), 560);
    EXPECT_NEAR(area.center().x(), ScreenSize.width() / 2, 8);
    EXPECT_NEAR(area.center().y(), ScreenSize.height() / 2, 40);
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
    // Next, then Get Started on the last page: the rightmost button of the bottom bar.
    const QPoint forward = geometryOf(*window).bottomRight() - QPoint(24 + 12, 24 + 8);
    for (int page = 0; page < 6; ++page)
        xdotool({"mousemove", QString::number(forward.x()), QString::number(forward.y()), "click", "1"});
    ASSERT_TRUE(waitUntilGone(*window)) << "Get Started did not close the window";
    EXPECT_TRUE(isRunning());
    EXPECT_EQ(storedDefaults().value("hasCompletedOnboarding"), true);
    stop();
    sinceStart.start();
    ASSERT_TRUE(start({}, false));
    captureOnceTheOnboardingWasDue(2);
    EXPECT_FALSE(findWindow(QStringLiteral("Welcome to Quillet")));
}

} // namespace
