#include "app/QuilletApp.h"
#include "app/AppDelegate.h"
#include "app/AppSettings.h"
#include "app/OnboardingWindow.h"
#include "setup/OnboardingView.h"
#include "setup/SettingsView.h"

#include "KeyboardShortcuts/Recorder.h"
#include "app/MenuBarView.h"
#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeDisplayServer.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardFocus.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "fakes/FakeScreenGrabber.h"
#include "fakes/FakeSoundPlayer.h"
#include "fakes/FakeTrayAvailability.h"
#include "fakes/FakeWindowList.h"
#include "platform/DefaultsStore.h"
#include "platform/XdgAutostartLoginItems.h"
#include "capture/OverlayService.h"
#include "setup/NoTrayNotice.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

// The platform over fakes, with a permission the user has not granted (so
// the permission page polls while it is shown).
Platform fakePlatform(std::shared_ptr<TrayAvailability> tray = nullptr)
{
    auto displays = std::make_shared<FakeDisplayServer>();
    displays->ids[QGuiApplication::primaryScreen()->name()] = 1;
    return {std::move(displays), std::make_shared<FakeScreenGrabber>(),
        std::make_shared<FakeWindowList>(), std::make_shared<FakeSoundPlayer>(),
        std::make_shared<FakeHotkeyBackend>(), std::make_shared<FakeKeyboardLayout>(),
        std::make_shared<FakeCompositingManager>(), std::make_shared<FakeScreenCapturePermission>(),
        std::make_shared<FakeKeyboardFocus>(), nullptr,
        std::make_shared<XdgAutostartLoginItems>(QStringLiteral("/opt/My Apps/quillet")), std::move(tray)};
}

std::unique_ptr<QuilletApp> makeApp(bool onboardingDone)
{
    auto app = std::make_unique<QuilletApp>(fakePlatform());
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
// the real program twice; MenuE2ETest opens the window from the tray menu.)
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
    // Its recorders edit the coordinator's names, which have their defaults.
    QStringList labels;
    for (const auto *recorder : app->settingsView()->findChildren<KeyboardShortcuts::Recorder *>())
        labels.append(recorder->label()->text() + u' ' + recorder->field()->text());
    EXPECT_EQ(labels,
        (QStringList{"Region Capture Shift+Alt+Super+4", "Scroll Capture Shift+Alt+Super+5",
            "Fullscreen Capture Shift+Alt+Super+3", "Window Capture Shift+Alt+Super+6"}));
}

// Without a tray, on a first run the onboarding stands in for the icon,
// alone, with the no-tray line, and its last page says where Quillet is. A
// tray that appears later gets the icon and the line goes. (The settings
// window standing in once the onboarding is completed, its quit button and
// its room for the line: NoTrayE2ETest.)
TEST(NoTrayWiringTest, TheOnboardingStandsInForTheIconUntilATrayAppears)
{
    DefaultsStore().setValue(QStringLiteral("hasCompletedOnboarding"), false);
    const auto tray = std::make_shared<FakeTrayAvailability>(false);
    QuilletApp app(fakePlatform(tray));
    // The tray's grace period, over at once.
    QCoreApplication::processEvents();
    app.trayGraceTick();
    QWidget *onboarding = nullptr;
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        onboarding = app.appDelegate().onboardingWindow.data();
        return onboarding && onboarding->isVisible();
    }));
    EXPECT_FALSE(app.settingsView()) << "two windows stood in";
    EXPECT_FALSE(app.menuBarView().trayIcon());
    NoTrayNotice *notice = onboarding->findChild<NoTrayNotice *>();
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisibleTo(onboarding));
    const auto noTrayPageText = [&] {
        for (const QLabel *label : onboarding->findChildren<QLabel *>()) {
            if (label->text().startsWith(QStringLiteral("There is no system tray")))
                return !label->isHidden(); // on the last page, which is not shown
        }
        return false;
    };
    EXPECT_TRUE(noTrayPageText());
    tray->setAvailable(true);
    EXPECT_TRUE(app.menuBarView().trayIcon());
    EXPECT_FALSE(notice->isVisibleTo(onboarding));
    EXPECT_FALSE(noTrayPageText());
}

// At login Quillet may start just before the panel that holds the tray: a
// tray that comes within the grace period gets the icon and no window opens.
TEST(NoTrayWiringTest, ATrayThatComesWithinTheGracePeriodOpensNoWindow)
{
    DefaultsStore().setValue(QStringLiteral("hasCompletedOnboarding"), true);
    const auto tray = std::make_shared<FakeTrayAvailability>(false);
    QuilletApp app(fakePlatform(tray));
    QCoreApplication::processEvents();
    EXPECT_TRUE(app.trayGraceTimer().isActive());
    tray->setAvailable(true);
    app.trayGraceTick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(app.menuBarView().trayIcon());
    EXPECT_FALSE(app.settingsView());
}

// A capture asked for as Quillet starts (a first launch from a key binding)
// may still be on screen when the grace period ends: the window that stands
// in waits until it is done, instead of opening over the selection.
TEST(NoTrayWiringTest, TheStandInWaitsForACaptureOnScreen)
{
    DefaultsStore().setValue(QStringLiteral("hasCompletedOnboarding"), true);
    QuilletApp app(fakePlatform(std::make_shared<FakeTrayAvailability>(false)));
    QCoreApplication::processEvents();
    app.overlayService().showOverlays();
    ASSERT_FALSE(app.overlayService().overlayViews().empty());
    app.trayGraceTick();
    QCoreApplication::processEvents();
    EXPECT_FALSE(app.settingsView());
    EXPECT_TRUE(app.trayGraceTimer().isActive()) << "nothing would ever stand in";

    app.overlayService().dismissOverlays();
    app.trayGraceTick();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return app.settingsView() && app.settingsView()->isVisible(); }));
}

} // namespace
