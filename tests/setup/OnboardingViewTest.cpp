#include "setup/OnboardingView.h"
#include "KeyboardShortcuts/Environment.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "fakes/Fixtures.h"
#include "setup/ElidedLabel.h"
#include "setup/PermissionService.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A view on a store of its own, with a permission that is missing unless
// the test grants it, and the program in a Downloads folder of a temporary
// folder.
class OnboardingViewTest : public ::testing::Test, public TemporarySettings
{
protected:
    void SetUp() override
    {
        QFile bundle(dir.filePath(QStringLiteral("Downloads/quillet")));
        QDir().mkpath(dir.filePath(QStringLiteral("Downloads")));
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
    // The visible button (or label) with this text, or null.
    template <class Widget = QPushButton> Widget *shown(const QString &text) const
    {
        for (Widget *w : view->findChildren<Widget *>()) {
            if (w->text() == text && w->isVisibleTo(view.get()))
                return w;
        }
        return nullptr;
    }
    void goTo(int page)
    {
        while (view->currentPage() < page)
            view->goToNextPage();
    }
    // Installs into the temporary folder as home; the copy never starts.
    MoveToApplications moveTo(const QString &bundle) const
    {
        return MoveToApplications(bundle, InstallPlaces::forUser(dir.path(), dir.filePath(QStringLiteral("data"))),
            [](const QString &) { return false; });
    }

    FakeScreenCapturePermission platform;
    PermissionService permissions{platform};
    std::unique_ptr<OnboardingView> view;
};

// Get Started stores the completion before the owner closes the window.
TEST_F(OnboardingViewTest, BackFromTheSecondPageOnAndGetStartedOnlyOnTheLastWhichCompletes)
{
    const struct
    {
        int page;
        bool back, next, getStarted;
    } cases[]
        = {{0, false, true, false}, {1, true, true, false}, {4, true, true, false}, {5, true, false, true}};
    QList<bool> completedAtCalls;
    makeView([&] { completedAtCalls << AppSettings(*store).hasCompletedOnboarding(); });
    for (const auto &c : cases) {
        SCOPED_TRACE(c.page);
        goTo(c.page);
        ASSERT_EQ(view->currentPage(), c.page);
        EXPECT_EQ(shown("Back") != nullptr, c.back);
        EXPECT_EQ(shown("Next") != nullptr, c.next);
        EXPECT_EQ(shown("Get Started") != nullptr, c.getStarted);
    }
    shown("Back")->click();
    EXPECT_EQ(view->currentPage(), 4);
    goTo(5);
    shown("Get Started")->click();
    EXPECT_EQ(completedAtCalls, QList{true});
}

TEST_F(OnboardingViewTest, ChoosingAFolderStoresItAndCancellingKeepsTheOldOne)
{
    const QString before = settings.savePath();
    const QString chosen = dir.filePath(QStringLiteral("Shots"));
    for (const std::optional<QString> &answer : {std::optional<QString>(), std::optional<QString>(chosen)}) {
        makeView();
        view->setFolderChooser([&](QWidget *) { return answer; });
        goTo(OnboardingView::saveFolderPage);
        shown("Choose Folder…")->click();
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
    EXPECT_TRUE(shown("Open System Settings"));
    permissions.pollTick();
    permissions.pollTick();
    EXPECT_TRUE(shown<QLabel>("All set! Screen recording access is granted."));
    EXPECT_FALSE(shown("Open System Settings"));
    // Granted already: the page still watches while shown, and stops on
    // leaving it by either button or by closing the window.
    for (const auto &leave : std::initializer_list<std::function<void()>>{
             [&] { view->goToNextPage(); }, [&] { view->goToPreviousPage(); }, [&] { view->hide(); }}) {
        makeView().show();
        goTo(OnboardingView::permissionPage);
        EXPECT_TRUE(permissions.pollTimer());
        leave();
        EXPECT_FALSE(permissions.pollTimer());
    }
    // A desktop without such a permission sends nobody to its settings.
    platform.grantOnCheck = 0;
    platform.required = false;
    makeView();
    goTo(OnboardingView::permissionPage);
    EXPECT_TRUE(
        shown<QLabel>("All set! This desktop lets Quillet capture the screen without asking for permission."));
    EXPECT_FALSE(shown("Open System Settings"));
}

TEST_F(OnboardingViewTest, AFailedInstallSaysWhyAndEachRetryStartsAfresh)
{
    const QString bundle = dir.filePath(QStringLiteral("Downloads/quillet"));
    const QString inTheWay = dir.filePath(QStringLiteral(".local/bin/quillet"));
    ASSERT_TRUE(QDir().mkpath(inTheWay));
    makeView().setMoveToApplications(moveTo(bundle));
    goTo(OnboardingView::applicationsPage);
    EXPECT_TRUE(shown<QLabel>("Install Quillet"));
    shown("Install for My Account")->click();
    const QString why = "Couldn't install Quillet. " + inTheWay + " is a folder. Move it elsewhere, then try again.";
    EXPECT_TRUE(shown<QLabel>(why));
    // Installed, but the copy does not start: this instance stays and says where the copy is.
    ASSERT_TRUE(QDir(inTheWay).removeRecursively());
    shown("Retry")->click();
    EXPECT_FALSE(shown<QLabel>(why));
    EXPECT_TRUE(view->moveError().value_or(QString()).contains(QFileInfo(inTheWay).path()));
    EXPECT_TRUE(QFile::exists(inTheWay));
}

TEST_F(OnboardingViewTest, AProgramInPlaceIsNotOfferedAnInstall)
{
    makeView().setMoveToApplications(moveTo(QStringLiteral("/usr/bin/quillet")));
    goTo(OnboardingView::applicationsPage);
    EXPECT_TRUE(shown<QLabel>("You're in the right place"));
    EXPECT_FALSE(shown("Install for My Account"));
}

// Return goes forward page by page and, on the last, finishes: the button
// that replaces Next takes the keyboard.
TEST_F(OnboardingViewTest, ReturnWalksThroughToTheEnd)
{
    int completions = 0;
    makeView([&] { ++completions; }).show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    shown("Next")->setFocus();
    for (int page = 1; page < OnboardingView::totalPages; ++page) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(view->currentPage(), page);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(completions, 1);
    // And back: Next takes the keyboard again.
    view->goToPreviousPage();
    EXPECT_EQ(QApplication::focusWidget(), shown("Next"));
}

} // namespace
