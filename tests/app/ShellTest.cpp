#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Name.h"
#include "app/CaptureBus.h"
#include "app/CaptureShortcuts.h"
#include "app/HotkeyService.h"
#include "app/MenuBarView.h"
#include "capture/CaptureError.h"
#include "capture/CaptureService.h"
#include "capture/CountdownOverlay.h"
#include "capture/DisplayLookup.h"
#include "capture/OverlayService.h"
#include "capture/ScrollCaptureService.h"
#include "capture/SelectionOverlayView.h"
#include "output/CaptureOutputPipeline.h"
#include "setup/PermissionService.h"

#include "fakes/FakeCaptureOutputs.h"
#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "fakes/FakeWindowList.h"
#include "fakes/Fixtures.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

using TestSupport::waitUntil;

const QString Region = QStringLiteral("Capture Region\tShift+Alt+Super+4");
const QString Fullscreen = QStringLiteral("Capture Fullscreen\tShift+Alt+Super+3");

// Shift+Alt+Super and a digit's key (evdev codes 4 to 7 are the digits 3 to 6).
FakeHotkeyBackend::Combination digitKeys(int digit)
{
    return {digit + 1, KeyModifiers{true, false, true, true}};
}

// The menu's titles top to bottom, "-" for a separator.
QString titles(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return result.join(u'|');
}

QAction *item(const QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        QAction *inner = action->menu() ? item(action->menu(), title) : nullptr;
        if (action->text() == title || inner)
            return inner ? inner : action;
    }
    return nullptr;
}

// The shell's services over fakes, on two screens. The permission is granted
// unless a test revokes it.
class ShellTest : public TwoScreensTest, public TemporarySettings
{
protected:
    void SetUp() override
    {
        TwoScreensTest::SetUp();
        installDisplayIdentifiers(displays, &capture);
        setPermission(true);
        CountdownOverlay::resetShared(panelContext(true));
        view.openUrl = [this](const QUrl &url) { opened << url; };
    }
    void TearDown() override { CountdownOverlay::resetShared(); }

    void setPermission(bool granted)
    {
        permissionPlatform.grantOnCheck = granted ? 1 : 0;
        permission.checkPermission();
    }
    SelectionOverlayView *overlayOn(quint32 id) const { return overlays.overlayViews().at(id); }

    std::shared_ptr<FakeHotkeyBackend> hotkeys = std::make_shared<FakeHotkeyBackend>();
    bool libraryReset
        = (KeyboardShortcuts::resetState({store, hotkeys, std::make_shared<FakeKeyboardLayout>()}), true);
    FakeScreenCapturePermission permissionPlatform;
    PermissionService permission{permissionPlatform};
    FakeWindowList windows;
    FakeCompositingManager compositing{true};
    CaptureService capture{displays, grabber, windows};
    OverlayService overlays{grabber, compositing};
    FakeCaptureOutputs outputs;
    CaptureOutputPipeline pipeline{files, settings, outputs};
    ScrollCaptureService scroll{ScrollCaptureService::regionsOf(capture), pipeline, compositing};
    HotkeyService coordinator{
        capture, overlays, scroll, pipeline, permission, [] { return std::optional(IdA); }};
    MenuBarView view{settings, permission, &coordinator};
    QList<QUrl> opened;
};

// Every trigger without the permission only asks for it, once: no overlay,
// no countdown, no capture, no alert.
TEST_F(ShellTest, WithoutThePermissionEveryEntryOnlyRequestsIt)
{
    const std::pair<const char *, std::function<void()>> entries[] = {
        {"region", [&] { coordinator.startRegionCapture(); }},
        {"scroll", [&] { coordinator.startScrollSelection(); }},
        {"fullscreen", [&] { coordinator.startFullscreenCapture(); }},
        {"window", [&] { coordinator.startWindowCapture(); }},
        {"delayed", [&] { coordinator.startDelayedCapture(3, CaptureMode::region); }},
        {"shortcut", [&] { hotkeys->tap(digitKeys(3)); }},
        {"menu", [&] { item(view.menu(), QStringLiteral("5 seconds \u2192 Window"))->trigger(); }},
    };
    setPermission(false);
    for (const auto &[what, trigger] : entries) {
        SCOPED_TRACE(what);
        permissionPlatform.requests = 0;
        trigger();
        processEvents();
        EXPECT_EQ(permissionPlatform.requests, 1);
        EXPECT_TRUE(overlays.overlayViews().empty());
        EXPECT_EQ(CountdownOverlay::shared().panel(), nullptr);
        EXPECT_TRUE(grabber.grabbedAreas.isEmpty() && outputs.alerts.isEmpty());
    }
}

// The flow at the end of a countdown checks again; a newer countdown
// replaces the older, whose capture never happens.
TEST_F(ShellTest, DelayedCapturesGuardTwiceAndTheNewestCountdownWins)
{
    windows.windows = std::nullopt; // a window capture would end in an alert
    for (const bool revoked : {true, false}) {
        SCOPED_TRACE(revoked);
        coordinator.startDelayedCapture(3, CaptureMode::window);
        coordinator.startDelayedCapture(5, CaptureMode::fullscreen);
        ASSERT_NE(CountdownOverlay::shared().panel(), nullptr);
        if (revoked)
            setPermission(false);
        while (CountdownOverlay::shared().timer())
            CountdownOverlay::shared().tick();
        ASSERT_TRUE(revoked || waitUntil([&] { return !savedFiles().isEmpty(); }));
        processEvents();
        EXPECT_EQ(std::tuple(savedFiles().size(), permissionPlatform.requests, grabber.grabbedAreas.size(),
                      outputs.alerts.size()),
            std::tuple(revoked ? 0 : 1, 1, revoked ? 0 : 1, 0));
        setPermission(true);
    }
}

// Released, not pressed, a default combination starts its flow; a handler
// whose coordinator is gone does nothing. (CaptureE2ETest presses the
// region and fullscreen defaults in the real program.)
TEST_F(ShellTest, EachShortcutHasItsDefaultAndStartsItsFlowOnRelease)
{
    const std::tuple<KeyboardShortcuts::Name, int, std::function<bool()>> shortcuts[] = {
        {CaptureShortcuts::name(CaptureMode::scroll), 5, [&] { return !overlays.overlayViews().empty(); }},
        {CaptureShortcuts::name(CaptureMode::fullscreen), 3, [&] { return savedFiles().size() == 1; }},
        // No window to capture: its flow ends in an alert.
        {CaptureShortcuts::name(CaptureMode::window), 6, [&] { return outputs.alerts.size() == 1; }},
    };
    {
        HotkeyService gone(
            capture, overlays, scroll, pipeline, permission, [] { return std::optional(IdB); });
    }
    for (const auto &[name, digit, started] : shortcuts) {
        SCOPED_TRACE(name.rawValue.toStdString());
        overlays.dismissOverlays();
        grabber.grabbedAreas.clear(); // the overlays read the screens too
        hotkeys->press(digitKeys(digit));
        processEvents();
        EXPECT_FALSE(started()) << "started before the keys were released";
        hotkeys->release(digitKeys(digit));
        EXPECT_TRUE(waitUntil(started));
    }
    processEvents();
    EXPECT_EQ(savedFiles().size(), 1) << "the coordinator that is gone captured too";
}

// Once the overlay is up the live screen shows it: the file holds what the
// user saw while dragging. A scroll selection goes to the scroll capture.
TEST_F(ShellTest, ARegionIsSavedFromThePictureTheUserSaw)
{
    const QRgb seen = qRgb(10, 200, 30);
    grabber.areaColor = seen;
    coordinator.startRegionCapture();
    grabber.areaColor = qRgb(0, 0, 0);
    drag(overlayOn(IdA), {10, 20}, {110, 70});
    ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));
    const QImage saved(QDir(settings.savePath()).filePath(savedFiles().first()));
    EXPECT_EQ(saved.size(), QSize(200, 100));
    EXPECT_EQ(saved.pixel(0, 0), seen);
    EXPECT_EQ(saved.pixel(199, 99), seen);
    coordinator.startScrollSelection();
    drag(overlayOn(IdB), {10, 20}, {110, 70});
    EXPECT_EQ(scroll.captureRect(), QRectF(1610, 20, 100, 50));
    EXPECT_NE(scroll.controlPanel(), nullptr);
    // The scroll shortcut again while recording is Done, not a new selection.
    scroll.beginCapturing();
    coordinator.startScrollSelection();
    EXPECT_FALSE(scroll.isCapturing());
    EXPECT_EQ(scroll.controlPanel(), nullptr);
    EXPECT_TRUE(overlays.overlayViews().empty());
}

// Each setting is read at the step that uses it: changes made while the
// prompt is open apply to this capture. The copy comes before the preview.
TEST_F(ShellTest, ThePipelineReadsEachSettingAtItsStep)
{
    settings.setPromptForFileName(true);
    settings.setImageFormat(ImageFormat::jpeg);
    QGuiApplication::clipboard()->clear();
    bool copiedBeforePreview = false;
    outputs.onPreview = [&] { copiedBeforePreview = !QGuiApplication::clipboard()->image().isNull(); };
    QImage image = uniform(4, 3, Qt::red);
    QFuture<QString> done = coordinator.handleCapture(image);
    ASSERT_EQ(outputs.prompts.size(), 1);
    EXPECT_TRUE(outputs.prompts.first().defaultName.startsWith(QStringLiteral("Screenshot ")));
    EXPECT_EQ(outputs.prompts.first().defaultFormat, ImageFormat::jpeg);
    settings.setSavePath(dir.filePath(QStringLiteral("later")));
    settings.setCopyToClipboard(true);
    settings.setShowPreviewThumbnail(true);
    outputs.answerPrompt({QStringLiteral("Invoice"), ImageFormat::png});
    ASSERT_TRUE(waitUntil([&] { return done.isFinished(); }));
    EXPECT_EQ(done.result(), dir.filePath(QStringLiteral("later/Invoice.png")));
    EXPECT_EQ(outputs.previews.size(), 1);
    EXPECT_TRUE(copiedBeforePreview);
    // JPEG cannot hold this height: a PNG stands in, with a notice.
    settings.setPromptForFileName(false);
    image = image.scaled(2, CaptureOutputPipeline::MaximumJpegHeight + 1);
    EXPECT_TRUE(coordinator.handleCapture(image).result().endsWith(QStringLiteral(".png")));
    EXPECT_EQ(outputs.notices.size(), 1);
}

// Where the desktop hands over the display already as a PNG, that file is
// the capture, byte for byte; the pixels are decoded for a JPEG, the
// clipboard and the preview.
TEST_F(ShellTest, APictureTheDesktopEncodedIsSavedAsItIs)
{
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && uniform(4, 3, Qt::blue).save(&buffer, "PNG"));
    settings.setCopyToClipboard(true);
    settings.setShowPreviewThumbnail(true);
    QGuiApplication::clipboard()->clear();
    const QString saved = coordinator.handleCapture(QImage(), png).result();
    EXPECT_EQ(TestSupport::readFile(saved), png);
    EXPECT_EQ(QGuiApplication::clipboard()->image().pixel(3, 2), QColor(Qt::blue).rgb());
    EXPECT_EQ(outputs.previews, QStringList{saved});
    settings.setImageFormat(ImageFormat::jpeg);
    const QString jpeg = coordinator.handleCapture(QImage(), png).result();
    EXPECT_TRUE(jpeg.endsWith(QStringLiteral(".jpeg")));
    EXPECT_EQ(QImage(jpeg).size(), QSize(4, 3));
}

// One alert per failure, in a task of its own; a failed save copies and
// shows nothing.
TEST_F(ShellTest, EachFailureEndsInOneCaptureFailedAlert)
{
    QFile blocker(dir.filePath(QStringLiteral("a file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const std::tuple<const char *, std::function<void()>, QString> failures[] = {
        {"no window", [&] { windows.windows = std::nullopt, coordinator.startWindowCapture(); },
            CaptureErrors::message(CaptureError::windowNotFound)},
        {"grab refused",
            [&] { grabber.failure = "Could not read the screen", coordinator.startFullscreenCapture(); },
            QStringLiteral("Could not read the screen")},
        {"save folder below a file",
            [&] {
                settings.setSavePath(blocker.fileName() + QStringLiteral("/shots"));
                coordinator.startFullscreenCapture();
            },
            QStringLiteral("Could not create folder")},
    };
    settings.setCopyToClipboard(true);
    settings.setShowPreviewThumbnail(true);
    for (const auto &[what, fail, text] : failures) {
        SCOPED_TRACE(what);
        outputs.alerts.clear();
        grabber.failure.reset();
        QGuiApplication::clipboard()->clear();
        fail();
        ASSERT_TRUE(waitUntil([&] { return !outputs.alerts.isEmpty(); }));
        processEvents();
        ASSERT_EQ(outputs.alerts.size(), 1);
        EXPECT_TRUE(outputs.alerts.first().startsWith(QStringLiteral("Capture Failed: ") + text))
            << outputs.alerts.first().toStdString();
        EXPECT_TRUE(outputs.previews.isEmpty());
        EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
    }
}

// The menu is built afresh from the current state each time it opens. (The
// first launch's menu, shortcut column and all: MenuE2ETest, by its pixels.)
TEST_F(ShellTest, TheMenuFollowsTheShortcutsTheSaveFolderAndThePermission)
{
    const QString captures
        = Region + QStringLiteral("|Capture Scroll\tShift+Alt+Super+5|") + Fullscreen + "|Capture Window";
    const QString folder = "|Capture with Delay|-|Open Save Folder|", end = "-|Settings…|-|Quit Quillet";
    const std::tuple<const char *, std::function<void()>, QString> states[] = {
        {"window shortcut cleared, a screenshot saved, permission missing",
            [&] {
                CaptureShortcuts::name(CaptureMode::window).setShortcut(std::nullopt);
                QDir().mkpath(settings.savePath());
                QFile(QDir(settings.savePath()).filePath(QStringLiteral("a.png"))).open(QIODevice::WriteOnly);
                setPermission(false);
            },
            captures + folder + "Open Last Screenshot|-|Grant Screen Recording Access…|" + end},
        {"permission granted", [&] { setPermission(true); },
            captures + folder + "Open Last Screenshot|" + end},
    };
    for (const auto &[what, change, expected] : states) {
        SCOPED_TRACE(what);
        change();
        emit view.menu()->aboutToShow();
        EXPECT_EQ(titles(view.menu()), expected);
    }
    EXPECT_EQ(titles(item(view.menu(), QStringLiteral("Capture with Delay"))->menu()),
        QStringLiteral("3 seconds → Region|5 seconds → Region|-|3 seconds → Fullscreen|"
                       "5 seconds → Fullscreen|-|3 seconds → Window|5 seconds → Window"));
}

// No picture of the screen may show the menu: a capture chosen there starts
// once the menu is hidden and the display server has unmapped it, and
// without a coordinator not at all. The shortcut library knows while the
// menu is open.
TEST_F(ShellTest, MenuItemsDoTheirWorkAndCapturesWaitUntilTheMenuHasGone)
{
    QDir().mkpath(settings.savePath());
    const QString shot = QDir(settings.savePath()).filePath(QStringLiteral("shot.png"));
    QFile(shot).open(QIODevice::WriteOnly);
    MenuBarView alone(settings, permission, nullptr);
    const std::tuple<QString, bool, std::function<bool()>> items[] = {
        {QStringLiteral("Open Save Folder"), false,
            [&] { return opened == QList{QUrl::fromLocalFile(settings.savePath())}; }},
        {QStringLiteral("Open Last Screenshot"), false,
            [&] { return opened.last() == QUrl::fromLocalFile(shot); }},
        {Region, true, [&] { return !overlays.overlayViews().empty(); }},
        // Saved beside the shot above: the flow has ended before the coordinator goes.
        {Fullscreen, true, [&] { return savedFiles().size() == 2; }},
    };
    for (const auto &[title, isCapture, done] : items) {
        SCOPED_TRACE(title.toStdString());
        overlays.dismissOverlays();
        grabber.grabbedAreas.clear(); // the overlays read the screens too
        std::optional<bool> startedAtSync;
        view.syncDisplay = [&, started = done] { startedAtSync = started(); };
        view.menu()->popup({100, 100});
        EXPECT_TRUE(KeyboardShortcuts::isMenuOpen());
        item(view.menu(), title)->trigger();
        if (isCapture) {
            item(alone.menu(), title)->trigger();
            processEvents();
            EXPECT_FALSE(done()) << "started while the menu was on the screen, or without a coordinator";
        }
        view.menu()->hide();
        EXPECT_FALSE(KeyboardShortcuts::isMenuOpen());
        EXPECT_TRUE(waitUntil(done));
        EXPECT_TRUE(!isCapture || startedAtSync == false)
            << "started before the display server had unmapped the menu";
    }
}

// A bus request is answered at once. A burst may not pile up screen images:
// a request the same as one still waiting to start joins it, and beyond two
// captures waiting or running the bus says it is busy. Delays are those the
// command line accepts (the largest integer, end to end: CommandLineE2ETest).
TEST_F(ShellTest, TheBusJoinsWaitingRequestsAndRefusesBeyondTwoCaptures)
{
    CaptureBusAdaptor bus;
    bus.setCoordinator(&coordinator);
    using Refusal = std::optional<CaptureBusAdaptor::Refusal>;
    const auto answer = [](const Refusal &refusal) { return refusal ? refusal->errorName : QStringLiteral("taken"); };
    const QString busy = QLatin1String(CaptureBus::busyError), invalid = QLatin1String(CaptureBus::invalidArgsError);
    const std::tuple<CaptureMode, int, QString> burst[] = {
        {CaptureMode::fullscreen, -1, invalid},
        {CaptureMode::fullscreen, 61, invalid},
        {CaptureMode::fullscreen, 0, "taken"},
        {CaptureMode::fullscreen, 0, "taken"}, // joins the one above
        {CaptureMode::window, 0, "taken"},
        {CaptureMode::region, 0, busy},
        {CaptureMode::fullscreen, 60, busy},
        {CaptureMode::window, 0, "taken"},
    };
    for (const auto &[mode, delay, expected] : burst) {
        SCOPED_TRACE(CaptureModes::rawValue(mode).toStdString() + " " + std::to_string(delay));
        EXPECT_EQ(answer(bus.request(mode, delay)), expected);
    }
    EXPECT_EQ(bus.waitingCount(), 2);
    // Started, they hold their images until saved: still two at once.
    QCoreApplication::sendPostedEvents(&bus, QEvent::MetaCall);
    EXPECT_EQ(bus.waitingCount(), 0);
    EXPECT_EQ(coordinator.capturesInFlight(), 2);
    EXPECT_EQ(answer(bus.request(CaptureMode::region, 0)), busy);
    ASSERT_TRUE(waitUntil([&] { return coordinator.capturesInFlight() == 0; }));
    EXPECT_EQ(savedFiles().size(), 1);
    EXPECT_TRUE(waitUntil([&] { return outputs.alerts.size() == 1; })); // no window to capture
    EXPECT_EQ(answer(bus.request(CaptureMode::fullscreen, 0)), "taken");
    ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 2; }));
}

} // namespace
