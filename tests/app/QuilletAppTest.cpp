#include "app/QuilletApp.h"
#include "app/AppDelegate.h"
#include "app/AppSettings.h"
#include "app/OnboardingWindow.h"
#include "setup/OnboardingView.h"
#include "setup/SettingsView.h"

#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeDisplayServer.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardFocus.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "fakes/FakeScreenGrabber.h"
#include "fakes/FakeSoundPlayer.h"
#include "fakes/FakeWindowActivator.h"
#include "fakes/FakeWindowList.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// The composition root over fakes, with a permission the user has not
// granted (so the permission page polls while it is shown).
std::unique_ptr<QuilletApp> makeApp(bool onboardingDone)
{
    auto app = std::make_unique<QuilletApp>(
        Platform{std::make_shared<FakeDisplayServer>(), std::make_shared<FakeScreenGrabber>(),
            std::make_shared<FakeWindowList>(), std::make_shared<FakeSoundPlayer>(),
            std::make_shared<FakeHotkeyBackend>(), std::make_shared<FakeKeyboardLayout>(),
            std::make_shared<FakeCompositingManager>(), std::make_shared<FakeScreenCapturePermission>(),
            std::make_shared<FakeKeyboardFocus>(), std::make_shared<FakeWindowActivator>()});
    app->settings().setHasCompletedOnboarding(onboardingDone);
    return app;
}

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            windows << widget;
    }
    return windows;
}

// Quitting with the onboarding open, on whichever page, leaves no window
// that outlives the services it watches (AddressSanitizer reports a read of
// the freed permission service otherwise), a finished window waiting for
// its deletion included.
TEST(QuilletAppTest, QuittingWithTheOnboardingOpenOnAnyPageTearsItDownFirst)
{
    for (int page = 0; page <= OnboardingView::totalPages; ++page) {
        SCOPED_TRACE(page);
        auto app = makeApp(false);
        app->appDelegate().showOnboarding();
        auto *window = qobject_cast<OnboardingWindow *>(app->appDelegate().onboardingWindow.data());
        ASSERT_TRUE(window);
        while (window->view().currentPage() < std::min(page, OnboardingView::totalPages - 1))
            window->view().goToNextPage();
        if (page == OnboardingView::totalPages)
            window->view().finishOnboarding(); // Get Started: the window goes later
        app.reset();
        EXPECT_TRUE(visibleWindows().isEmpty());
    }
}

// Asked for before its delay ran out, the onboarding opens at once and only
// once; completed, the settings window stands in. (CommandLineE2ETest starts
// the real program twice.)
TEST(QuilletAppTest, PresentShowsOneWindowTheOnboardingUntilCompletedThenTheSettings)
{
    auto app = makeApp(false);
    app->appDelegate().applicationDidFinishLaunching();
    app->present();
    app->present();
    QWidget *onboarding = app->appDelegate().onboardingWindow;
    ASSERT_TRUE(onboarding);
    EXPECT_FALSE(app->appDelegate().onboardingTimer()->isActive());
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{onboarding});
    app->settings().setHasCompletedOnboarding(true);
    onboarding->close();
    app->present();
    app->present();
    ASSERT_TRUE(app->settingsView());
    EXPECT_EQ(visibleWindows(), QList<QWidget *>{app->settingsView()});
}

} // namespace
