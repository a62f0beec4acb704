#include "KeyboardShortcuts/Environment.h"
#include "app/AppSettings.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "platform/DefaultsStore.h"
#include "setup/ElidedLabel.h"
#include "setup/OnboardingView.h"
#include "setup/PermissionService.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A view on a store of its own, with a permission that is missing unless
// the test grants it, and the program in a Downloads folder of a temporary
// root whose Applications folders cannot be created.
class OnboardingViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile bundle(root.filePath(QStringLiteral("Downloads/quillet")));
        QDir().mkpath(root.filePath(QStringLiteral("Downloads")));
        ASSERT_TRUE(bundle.open(QIODevice::WriteOnly));
        KeyboardShortcuts::resetState(
            {store, std::make_shared<FakeHotkeyBackend>(), std::make_shared<FakeKeyboardLayout>()});
    }
    void TearDown() override
    {
        view.reset();
        KeyboardShortcuts::resetState({store, nullptr, nullptr});
    }

    OnboardingView &makeView(std::function<void()> onComplete = {})
    {
        view = std::make_unique<OnboardingView>(settings, permissions, std::move(onComplete));
        return *view;
    }

    // The one visible button with this text, or null.
    QPushButton *button(const QString &text) const
    {
        for (QPushButton *b : view->findChildren<QPushButton *>())
            if (b->text() == text && b->isVisibleTo(view.get()))
                return b;
        return nullptr;
    }
    bool showsText(const QString &text) const
    {
        for (QLabel *label : view->findChildren<QLabel *>())
            if (label->text() == text && label->isVisibleTo(view.get()))
                return true;
        return false;
    }
    void goTo(int page)
    {
        while (view->currentPage() < page)
            view->goToNextPage();
    }
    MoveToApplications blockedMove(const QString &bundle, bool launches = false) const
    {
        const QString file = root.filePath(QStringLiteral("file"));
        QFile(file).open(QIODevice::WriteOnly);
        return MoveToApplications(
            bundle, {file + QStringLiteral("/sys"), file + QStringLiteral("/home")}, [=](const QString &) { return launches; });
    }

    QTemporaryDir root;
    std::shared_ptr<DefaultsStore> store = std::make_shared<DefaultsStore>(root.filePath(QStringLiteral("defaults.json")));
    AppSettings settings{*store};
    FakeScreenCapturePermission platform;
    PermissionService permissions{platform};
    std::unique_ptr<OnboardingView> view;
};

TEST_F(OnboardingViewTest, NavigationOffersBackFromThePageAfterTheFirstAndGetStartedOnlyOnTheLast)
{
    struct Case
    {
        int page;
        bool back, next, getStarted;
    };
    const Case cases[] = {{0, false, true, false}, {1, true, true, false}, {4, true, true, false},
        {5, true, false, true}};
    makeView();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.page);
        goTo(c.page);
        ASSERT_EQ(view->currentPage(), c.page);
        EXPECT_EQ(button("Back") != nullptr, c.back);
        EXPECT_EQ(button("Next") != nullptr, c.next);
        EXPECT_EQ(button("Get Started") != nullptr, c.getStarted);
    }
    button("Back")->click();
    EXPECT_EQ(view->currentPage(), 4);
}

TEST_F(OnboardingViewTest, GetStartedRecordsCompletionThenCallsTheOwnerIfAny)
{
    for (const bool withOwner : {false, true}) {
        SCOPED_TRACE(withOwner);
        settings.setHasCompletedOnboarding(false);
        int calls = 0;
        bool completedFirst = false;
        makeView(withOwner ? std::function<void()>([&] {
            ++calls;
            completedFirst = settings.hasCompletedOnboarding();
        })
                           : std::function<void()>());
        goTo(5);
        button("Get Started")->click();
        EXPECT_TRUE(AppSettings(*store).hasCompletedOnboarding());
        EXPECT_EQ(calls, withOwner ? 1 : 0);
        EXPECT_EQ(completedFirst, withOwner);
    }
}

TEST_F(OnboardingViewTest, ChoosingAFolderStoresItAndCancellingKeepsTheOldOne)
{
    const QString before = settings.savePath();
    const QString chosen = root.filePath(QStringLiteral("Shots"));
    for (const std::optional<QString> &answer : {std::optional<QString>(), std::optional<QString>(chosen)}) {
        makeView();
        view->setFolderChooser([&](QWidget *) { return answer; });
        goTo(OnboardingView::saveFolderPage);
        button("Choose Folder…")->click();
        EXPECT_EQ(settings.savePath(), answer.value_or(before));
        EXPECT_EQ(view->findChild<ElidedLabel *>()->fullText(), settings.savePath());
    }
}

TEST_F(OnboardingViewTest, ThePermissionPagePollsOnlyWhileShownAndFollowsTheGrant)
{
    platform.grantOnCheck = 3; // the construction reads "missing", then the second tick grants
    makeView();
    goTo(OnboardingView::permissionPage);
    EXPECT_TRUE(permissions.pollTimer());
    EXPECT_TRUE(button("Open System Settings"));

    permissions.pollTick();
    permissions.pollTick();
    EXPECT_TRUE(showsText("All set! Screen recording access is granted."));
    EXPECT_FALSE(button("Open System Settings"));

    // Granted already: the page still watches while shown, and stops on
    // leaving it by either button or by closing the window.
    for (const auto &leave : std::initializer_list<std::function<void()>>{[&] { view->goToNextPage(); },
             [&] { view->goToPreviousPage(); }, [&] { view->hide(); }}) {
        makeView().show();
        goTo(OnboardingView::permissionPage);
        EXPECT_TRUE(permissions.pollTimer());
        leave();
        EXPECT_FALSE(permissions.pollTimer());
    }
}

TEST_F(OnboardingViewTest, AFailedInstallSaysSoAndEachRetryStartsAfresh)
{
    const QString bundle = root.filePath(QStringLiteral("Downloads/quillet"));
    const QString couldNot = "Couldn't move — you may need to drag the app to Applications manually.";
    makeView().setMoveToApplications(blockedMove(bundle));
    goTo(OnboardingView::applicationsPage);

    button("Move to Applications")->click();
    EXPECT_TRUE(showsText(couldNot));
    // Installed, but the copy does not start: this instance stays and says where the copy is.
    const QString home = root.filePath(QStringLiteral("home/Applications"));
    view->setMoveToApplications(MoveToApplications(bundle, {root.filePath("file/sys"), home}, [](const QString &) {
        return false;
    }));
    button("Retry")->click();
    EXPECT_FALSE(showsText(couldNot));
    EXPECT_TRUE(view->moveError().value_or(QString()).contains(home));
    EXPECT_TRUE(QFile::exists(home + QStringLiteral("/quillet")));
}

TEST_F(OnboardingViewTest, RunningFromApplicationsOffersNoInstall)
{
    makeView().setMoveToApplications(blockedMove(root.filePath(QStringLiteral("file/home/quillet"))));
    goTo(OnboardingView::applicationsPage);
    EXPECT_TRUE(showsText("You're in the right place"));
    EXPECT_FALSE(button("Move to Applications"));
}

} // namespace
