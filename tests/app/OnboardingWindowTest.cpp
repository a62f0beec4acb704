#include "KeyboardShortcuts/Environment.h"
#include "app/AppDelegate.h"
#include "app/AppSettings.h"
#include "app/OnboardingWindow.h"
#include "app/QuilletApp.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "platform/DefaultsStore.h"
#include "setup/OnboardingView.h"
#include "setup/PermissionService.h"

#include <QApplication>
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The delegate's onboarding window, finished or closed early, over the
// shared services or, when there are none, over fresh ones on the same store.
TEST(OnboardingWindowTest, FinishingClosesForGoodWhileClosingEarlyKeepsTheOnboardingDue)
{
    QTemporaryDir dir;
    auto store = std::make_shared<DefaultsStore>(dir.filePath(QStringLiteral("defaults.json")));
    KeyboardShortcuts::resetState({store, std::make_shared<FakeHotkeyBackend>(), std::make_shared<FakeKeyboardLayout>()});
    auto permission = std::make_shared<FakeScreenCapturePermission>();
    AppSettings settings(*store);
    PermissionService permissions(*permission);
    for (const auto &[finish, shared] : {std::pair{true, true}, {false, true}, {true, false}}) {
        SCOPED_TRACE(testing::Message() << "finish " << finish << ", shared " << shared);
        store->setValue(QStringLiteral("hasCompletedOnboarding"), false);
        setSharedServices(shared ? &settings : nullptr, shared ? &permissions : nullptr);
        AppDelegate delegate(*store);
        delegate.setPlatform({}, permission);
        delegate.applicationDidFinishLaunching();
        delegate.showOnboarding();

        auto *window = qobject_cast<OnboardingWindow *>(delegate.onboardingWindow.data());
        ASSERT_TRUE(window && window->isVisible());
        EXPECT_EQ(window->windowTitle(), "Welcome to Quillet");
        EXPECT_EQ(window->view().size(), QSize(520, 520));
        EXPECT_EQ(delegate.activationPolicy(), AppDelegate::ActivationPolicy::regular);
        const QList<QAction *> menu = window->findChild<QMenuBar *>()->actions().first()->menu()->actions();
        ASSERT_EQ(menu.size(), 1);
        EXPECT_EQ(menu[0]->text(), "Quit Quillet");
        EXPECT_EQ(menu[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));

        if (finish)
            window->view().finishOnboarding();
        else
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_EQ(delegate.activationPolicy(), AppDelegate::ActivationPolicy::accessory);
        EXPECT_EQ(delegate.onboardingWindow.isNull(), finish);
        EXPECT_EQ(store->boolean(QStringLiteral("hasCompletedOnboarding")), finish);
    }
    setSharedServices(nullptr, nullptr);
    KeyboardShortcuts::resetState({store, nullptr, nullptr});
}

} // namespace
