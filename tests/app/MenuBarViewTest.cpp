#include "ShellFixture.h"

#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Name.h"
#include "app/AppDelegate.h"
#include "app/MenuBarView.h"
#include "app/QuilletApp.h"
#include "platform/Platform.h"

#include "fakes/FakeKeyboardFocus.h"
#include "fakes/FakeWindowActivator.h"

#include <QMenu>
#include <QWindow>

namespace {

using TestSupport::waitUntil;

// The titles top to bottom, "-" for a separator.
QStringList titles(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return result;
}

QAction *item(const QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == title)
            return action;
        if (action->menu()) {
            if (QAction *inner = item(action->menu(), title))
                return inner;
        }
    }
    return nullptr;
}

class MenuBarViewTest : public ShellTest
{
protected:
    void open() { emit view.menu()->aboutToShow(); }

    MenuBarView view{settings, permission, &coordinator};
    QList<QUrl> opened;
    bool wired = (view.openUrl = [this](const QUrl &url) { opened << url; }, true);
};

// The menu is built afresh from the current state each time it opens.
TEST_F(MenuBarViewTest, TheItemsFollowTheShortcutsTheSaveFolderAndThePermission)
{
    const QString common = QStringLiteral("Capture Region  \u2325\u21e7\u23184|Capture Scroll  \u2325\u21e7\u23185|"
                                          "Capture Fullscreen  \u2325\u21e7\u23183|");
    const std::tuple<const char *, std::function<void()>, QString> states[] = {
        {"first launch", [] {},
            common + "Capture Window  \u2325\u21e7\u23186|Capture with Delay|-|Open Save Folder|-|Settings\u2026|-|Quit Quillet"},
        {"window shortcut cleared, a screenshot saved, permission missing",
            [&] {
                ShortcutNames::captureWindow().setShortcut(std::nullopt);
                QDir().mkpath(settings.savePath());
                QFile(QDir(settings.savePath()).filePath(QStringLiteral("shot.png"))).open(QIODevice::WriteOnly);
                revokePermission();
            },
            common + "Capture Window|Capture with Delay|-|Open Save Folder|Open Last Screenshot|-|"
                     "Grant Screen Recording Access\u2026|-|Settings\u2026|-|Quit Quillet"},
        {"permission granted again", [&] { permissionPlatform.grantOnCheck = 1, permission.checkPermission(); },
            common + "Capture Window|Capture with Delay|-|Open Save Folder|Open Last Screenshot|-|Settings\u2026|-|Quit Quillet"},
    };
    for (const auto &[what, change, expected] : states) {
        SCOPED_TRACE(what);
        change();
        open();
        EXPECT_EQ(titles(view.menu()).join(u'|'), expected);
    }
    QMenu *delays = item(view.menu(), QStringLiteral("Capture with Delay"))->menu();
    EXPECT_EQ(titles(delays).join(u'|'),
        QStringLiteral("3 seconds \u2192 Region|5 seconds \u2192 Region|-|3 seconds \u2192 Fullscreen|"
                       "5 seconds \u2192 Fullscreen|-|3 seconds \u2192 Window|5 seconds \u2192 Window"));
    EXPECT_EQ(item(view.menu(), QStringLiteral("Quit Quillet"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST_F(MenuBarViewTest, EachItemDoesItsWork)
{
    QDir().mkpath(settings.savePath());
    const QString shot = QDir(settings.savePath()).filePath(QStringLiteral("shot.png"));
    QFile(shot).open(QIODevice::WriteOnly);
    int settingsOpened = 0, quits = 0;
    view.onOpenSettings = [&] { ++settingsOpened; };
    view.quit = [&] { ++quits; };
    revokePermission();
    open();
    const std::pair<QString, std::function<bool()>> items[] = {
        {QStringLiteral("Grant Screen Recording Access\u2026"), [&] { return permissionPlatform.requests == 1; }},
        {QStringLiteral("Open Save Folder"), [&] { return opened == QList{QUrl::fromLocalFile(settings.savePath())}; }},
        {QStringLiteral("Open Last Screenshot"), [&] { return opened.last() == QUrl::fromLocalFile(shot); }},
        {QStringLiteral("Settings\u2026"), [&] { return settingsOpened == 1; }},
        {QStringLiteral("Quit Quillet"), [&] { return quits == 1; }},
    };
    for (const auto &[title, done] : items) {
        SCOPED_TRACE(title.toStdString());
        item(view.menu(), title)->trigger();
        EXPECT_TRUE(done());
    }
}

TEST_F(MenuBarViewTest, CaptureItemsCallTheCoordinatorAndNothingWithoutOne)
{
    MenuBarView alone(settings, permission, nullptr);
    const std::pair<QString, std::function<bool()>> items[] = {
        {QStringLiteral("Capture Region  \u2325\u21e7\u23184"), [&] { return !overlays.overlayViews().empty(); }},
        {QStringLiteral("Capture Fullscreen  \u2325\u21e7\u23183"), [&] { return !grabber.grabbedAreas.isEmpty(); }},
        {QStringLiteral("5 seconds \u2192 Window"), [&] { return CountdownOverlay::shared().panel() != nullptr; }},
    };
    for (const auto &[title, started] : items) {
        SCOPED_TRACE(title.toStdString());
        overlays.dismissOverlays();
        grabber.grabbedAreas.clear(); // the overlays grab the screens too
        item(alone.menu(), title)->trigger();
        processEvents();
        EXPECT_FALSE(started());
        item(view.menu(), title)->trigger();
        EXPECT_TRUE(waitUntil(started));
    }
}

// The capture must not see the menu: it starts once the menu's window has
// left the screen, and the shortcut library knows while the menu is open.
TEST_F(MenuBarViewTest, ACaptureChosenFromTheMenuStartsAfterTheMenuHasGone)
{
    view.menu()->popup({100, 100});
    ASSERT_TRUE(waitUntil([&] { return view.menu()->windowHandle() && view.menu()->windowHandle()->isExposed(); }));
    EXPECT_TRUE(KeyboardShortcuts::isMenuOpen());
    item(view.menu(), QStringLiteral("Capture Fullscreen  \u2325\u21e7\u23183"))->trigger();
    processEvents();
    EXPECT_TRUE(grabber.grabbedAreas.isEmpty()) << "the menu is still on the screen";

    view.menu()->hide();
    EXPECT_FALSE(KeyboardShortcuts::isMenuOpen());
    EXPECT_TRUE(waitUntil([&] { return !grabber.grabbedAreas.isEmpty(); }));
}

TEST(AppDelegateTest, TheOnboardingOpensShortlyAfterLaunchingUntilItWasCompleted)
{
    QTemporaryDir dir;
    const std::pair<QVariant, bool> cases[] = {{QVariant(), true}, {false, true}, {true, false}};
    for (const auto &[stored, scheduled] : cases) {
        SCOPED_TRACE(stored.toString().toStdString());
        DefaultsStore store(dir.filePath(QStringLiteral("defaults.json")));
        if (stored.isValid())
            store.setValue(QStringLiteral("hasCompletedOnboarding"), stored);
        AppDelegate delegate(store);
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(delegate.activationPolicy(), AppDelegate::ActivationPolicy::accessory);
        EXPECT_EQ(delegate.onboardingTimer()->isActive(), scheduled);
        EXPECT_EQ(delegate.onboardingTimer()->interval(), 300);
        EXPECT_TRUE(delegate.onboardingTimer()->isSingleShot());
    }
}

// The whole application over fakes: the shortcuts are live once it is built,
// before the main loop runs; the delegate finishes launching from the loop.
TEST(QuilletAppTest, BuildingTheApplicationMakesTheShortcutsLiveAndFillsTheSharedSlots)
{
    auto hotkeys = std::make_shared<FakeHotkeyBackend>();
    auto permission = std::make_shared<FakeScreenCapturePermission>();
    const Platform platform{std::make_shared<FakeDisplayServer>(), std::make_shared<FakeScreenGrabber>(),
        std::make_shared<FakeWindowList>(), std::make_shared<FakeSoundPlayer>(), hotkeys,
        std::make_shared<FakeKeyboardLayout>(), std::make_shared<FakeCompositingManager>(), permission,
        std::make_shared<FakeKeyboardFocus>(), std::make_shared<FakeWindowActivator>()};
    {
        QuilletApp app(platform);
        EXPECT_EQ(hotkeys->grabs.size(), 4u);
        EXPECT_EQ(sharedSettings(), &app.settings());
        EXPECT_EQ(sharedPermissionService(), &app.permissionService());
        EXPECT_FALSE(app.appDelegate().onboardingTimer()->isActive());
        EXPECT_TRUE(waitUntil([&] { return app.appDelegate().onboardingTimer()->isActive(); }));
    }
    EXPECT_EQ(sharedSettings(), nullptr);
}

} // namespace
