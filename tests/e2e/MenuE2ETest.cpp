#include "e2e/QuilletE2E.h"

#include "KeyboardShortcuts/Recorder.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "fakes/Fixtures.h"
#include "setup/PermissionService.h"
#include "setup/SettingsView.h"
#include "support/X11TestSupport.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

// The tray menu of the real program and the settings window it opens, used
// with the mouse and keyboard as a user would.
namespace {

using TestSupport::waitUntil;

// The menu a user should see, built here with the same style and fonts: on
// the same display it draws pixel for pixel as the program's own does. Each
// capture's shortcut stands in the shortcut column, as Ctrl+Q does for Quit.
QImage expectedMenu()
{
    QMenu menu;
    for (const char *title : {"Capture Region\tShift+Alt+Super+4", "Capture Scroll\tShift+Alt+Super+5",
             "Capture Fullscreen\tShift+Alt+Super+3", "Capture Window\tShift+Alt+Super+6"})
        menu.addAction(QString::fromUtf8(title));
    QMenu *delayed = menu.addMenu(QStringLiteral("Capture with Delay"));
    for (const char *mode : {"Region", "Fullscreen", "Window"}) {
        if (!delayed->isEmpty())
            delayed->addSeparator();
        for (const char *seconds : {"3", "5"})
            delayed->addAction(
                QStringLiteral("%1 seconds → %2").arg(QLatin1String(seconds), QLatin1String(mode)));
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Open Save Folder"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Settings…"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Quit Quillet"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    menu.adjustSize();
    return menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Where the Hotkeys tab and the Fullscreen Capture recorder sit in the
// window: laid out here with the same style and fonts, never shown, with
// the permission granted as on X11.
std::pair<QPoint, QPoint> settingsLayout()
{
    TemporarySettings temporary;
    FakeScreenCapturePermission granted;
    granted.grantOnCheck = 1;
    PermissionService permission(granted);
    QList<KeyboardShortcuts::Name> names;
    for (const char *name : {"captureRegion", "captureScroll", "captureFullscreen", "captureWindow"})
        names.append(KeyboardShortcuts::Name(QLatin1String(name)));
    SettingsView view(temporary.settings, permission, names, nullptr, nullptr);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.tabs()->setCurrentIndex(1);
    view.show();
    const QTabBar *bar = view.tabs()->tabBar();
    const QWidget *field = view.findChildren<KeyboardShortcuts::Recorder *>().at(2)->field();
    return {bar->mapTo(&view, bar->tabRect(1).center()), field->mapTo(&view, field->rect().center())};
}

TEST_F(QuilletE2E, TheTrayMenuOffersEveryCaptureAndItsSettingsWindowRecordsAShortcutForGood)
{
    ASSERT_TRUE(start());
    const auto icon = trayIcon();
    ASSERT_TRUE(icon);
    const QPoint iconCentre = geometryOf(*icon).center();
    // Taken before the pointer rests on the icon, whose tooltip shows after
    // a moment: a slow picture would have it.
    const QImage screen = grabScreenWithImageMagick();
    const auto openMenu = [&] {
        xdotool({"mousemove", QString::number(iconCentre.x()), QString::number(iconCentre.y()), "click", "1"});
        return waitFor([&]() -> std::optional<quint32> {
            const QList<quint32> shown = visibleWindows();
            return shown.size() == 2 ? std::optional(shown[0] == *icon ? shown[1] : shown[0]) : std::nullopt;
        });
    };
    const auto menu = openMenu();
    ASSERT_TRUE(menu) << "no menu opened";
    const QImage items = expectedMenu();
    EXPECT_TRUE(X11TestSupport::waitUntilScreenShows(
        {geometryOf(*menu).topLeft(), items.size()}, [&](const QImage &s) { return s == items; }))
        << "the menu does not show the expected items";
    // Capture with Delay, then its third item past a separator: 3 seconds → Fullscreen.
    xdotool({"key", "Down", "Down", "Down", "Down", "Down", "Right", "Down", "Down", "Return"});
    QElapsedTimer chosen;
    chosen.start();
    const QStringList saved = waitForFiles(1);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_GE(chosen.elapsed(), 2900);
    EXPECT_TRUE(pixels(saved[0]) == screen)
        << "the capture shows more than the screen before the menu opened";
    // The captures, "Capture with Delay", "Open Save Folder", now "Open Last
    // Screenshot" too, then "Settings…".
    ASSERT_TRUE(openMenu()) << "no menu opened";
    xdotool({"key", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return"});
    const auto window = waitFor([&] { return findWindow(QStringLiteral("Quillet Settings")); });
    ASSERT_TRUE(window);
    EXPECT_TRUE(waitUntil([&] { return X11TestSupport::xdotoolWindow() == *window; }))
        << "the settings window did not get the keyboard";
    const QRect area = geometryOf(*window);
    EXPECT_EQ(area.size(), QSize(460, 380));
    const auto [hotkeysTab, fullscreenRecorder] = settingsLayout();
    for (const QPoint at : {area.topLeft() + hotkeysTab, area.topLeft() + fullscreenRecorder})
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    const QString newFullscreen = QStringLiteral("shift+alt+super+F2");
    key(newFullscreen);
    const QJsonValue recorded(QStringLiteral(R"({"carbonKeyCode":120,"carbonModifiers":2816})"));
    ASSERT_TRUE(waitUntil([&] {
        return storedDefaults().value(QLatin1String("KeyboardShortcuts_captureFullscreen")) == recorded;
    })) << QJsonDocument(storedDefaults()).toJson().toStdString();
    // At once and after a restart: the old combination does nothing, the new one captures.
    key(Fullscreen);
    key(newFullscreen);
    EXPECT_EQ(waitForFiles(2).size(), 2);
    stop();
    ASSERT_TRUE(start({}, false));
    key(Fullscreen);
    key(newFullscreen);
    EXPECT_EQ(waitForFiles(3).size(), 3);
    // Any capture of the old combination would have landed before this one.
    key(newFullscreen);
    waitForFiles(4);
    EXPECT_EQ(files().size(), 4);
    EXPECT_EQ(storedDefaults().value(QLatin1String("KeyboardShortcuts_captureFullscreen")), recorded);
}

} // namespace
