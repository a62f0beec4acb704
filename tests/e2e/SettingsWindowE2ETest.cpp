#include "e2e/QuilletE2E.h"

#include "KeyboardShortcuts/Recorder.h"
#include "app/AppSettings.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "platform/DefaultsStore.h"
#include "setup/PermissionService.h"
#include "setup/SettingsView.h"

#include <QJsonDocument>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

// The settings window of the real program, opened from the tray and used
// with the mouse and keyboard.
namespace {

using TestSupport::runProgram;
using TestSupport::waitUntil;

const QString NewFullscreen = QStringLiteral("shift+alt+super+F2");

// Where the Hotkeys tab and the Fullscreen Capture recorder sit in the
// window: laid out here with the same style and fonts, never shown, with
// the permission granted as on X11.
std::pair<QPoint, QPoint> settingsLayout()
{
    QTemporaryDir dir;
    DefaultsStore store(dir.filePath(QStringLiteral("defaults.json")));
    AppSettings settings(store);
    FakeScreenCapturePermission granted;
    granted.grantOnCheck = 1;
    PermissionService permission(granted);
    QList<KeyboardShortcuts::Name> names;
    for (const char *name : {"captureRegion", "captureScroll", "captureFullscreen", "captureWindow"})
        names.append(KeyboardShortcuts::Name(QLatin1String(name)));
    SettingsView view(settings, permission, names, nullptr, nullptr);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.tabs()->setCurrentIndex(1);
    view.show();
    const QTabBar *bar = view.tabs()->tabBar();
    const QWidget *field = view.findChildren<KeyboardShortcuts::Recorder *>().at(2)->field();
    return {bar->mapTo(&view, bar->tabRect(1).center()), field->mapTo(&view, field->rect().center())};
}

QString activeWindow()
{
    return QString::fromLatin1(runProgram(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed());
}

TEST_F(QuilletE2E, AShortcutRecordedInTheSettingsWindowReplacesTheOldOneAndSurvivesARestart)
{
    ASSERT_TRUE(start());
    const auto icon = trayIcon();
    ASSERT_TRUE(icon);
    const QPoint iconCentre = geometryOf(*icon).center();
    xdotool({"mousemove", QString::number(iconCentre.x()), QString::number(iconCentre.y()), "click", "1"});
    ASSERT_TRUE(waitUntil([&] { return visibleWindows().size() == 2; })) << "no menu opened";
    // The captures, "Capture with Delay", "Open Save Folder", then "Settings…".
    xdotool({"key", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return"});

    const auto window = waitFor([&] { return findWindow(QStringLiteral("Quillet Settings")); });
    ASSERT_TRUE(window);
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == QString::number(*window); }))
        << "the settings window did not get the keyboard";
    EXPECT_EQ(geometryOf(*window).size(), QSize(460, 380));

    const auto [hotkeysTab, fullscreenRecorder] = settingsLayout();
    const QPoint origin = geometryOf(*window).topLeft();
    const auto click = [&](QPoint at) {
        at += origin;
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    };
    click(hotkeysTab);
    click(fullscreenRecorder);
    key(NewFullscreen);
    const QJsonValue recorded(QStringLiteral(R"({"carbonKeyCode":120,"carbonModifiers":2816})"));
    ASSERT_TRUE(waitUntil([&] {
        return storedDefaults().value(QLatin1String("KeyboardShortcuts_captureFullscreen")) == recorded;
    })) << QJsonDocument(storedDefaults()).toJson().toStdString();

    // At once: the old combination does nothing, the new one captures.
    key(Fullscreen);
    key(NewFullscreen);
    EXPECT_EQ(waitForFiles(1).size(), 1);

    stop();
    ASSERT_TRUE(start({}, false));
    key(Fullscreen);
    key(NewFullscreen);
    EXPECT_EQ(waitForFiles(2).size(), 2);
    // Any capture of the old combination would have landed before this one.
    key(NewFullscreen);
    waitForFiles(3);
    EXPECT_EQ(files().size(), 3);
    EXPECT_EQ(storedDefaults().value(QLatin1String("KeyboardShortcuts_captureFullscreen")), recorded);
}

} // namespace
