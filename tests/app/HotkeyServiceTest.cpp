#include "ShellFixture.h"

#include "KeyboardShortcuts/Name.h"
#include "capture/CaptureError.h"
#include "capture/SelectionOverlayView.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMouseEvent>
#include <QTest>

namespace {

using Combination = FakeHotkeyBackend::Combination;
using TestSupport::waitUntil;

// Shift+Alt+Super and the digit's key (evdev codes 4 to 7 are 3 to 6).
Combination digitKeys(int digit)
{
    return {digit + 1, KeyModifiers{true, false, true, true}};
}

void drag(QWidget *view, QPointF from, QPointF to)
{
    const auto send = [view](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

class HotkeyServiceTest : public ShellTest
{
protected:
    SelectionOverlayView *overlayOn(quint32 id) const
    {
        const auto views = overlays.overlayViews();
        const auto it = views.find(id);
        return it == views.end() ? nullptr : it->second;
    }
    // Ticks the shared countdown until it has run its callback.
    static void finishCountdown()
    {
        while (CountdownOverlay::shared().timer())
            CountdownOverlay::shared().tick();
    }
    QImage image(QSize size = {4, 3}) const
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(1, 2, 3));
        return picture;
    }
};

// Every trigger without the permission only asks for it: no overlay, no
// countdown, no capture, no alert.
TEST_F(HotkeyServiceTest, WithoutThePermissionEveryEntryOnlyRequestsIt)
{
    const std::pair<const char *, std::function<void()>> entries[] = {
        {"region", [&] { coordinator.startRegionCapture(); }},
        {"scroll", [&] { coordinator.startScrollSelection(); }},
        {"fullscreen", [&] { coordinator.startFullscreenCapture(); }},
        {"window", [&] { coordinator.startWindowCapture(); }},
        {"delayed region", [&] { coordinator.startDelayedCapture(3, CaptureMode::region); }},
        {"delayed window", [&] { coordinator.startDelayedCapture(5, CaptureMode::window); }},
        {"fullscreen shortcut", [&] { hotkeys->press(digitKeys(3)), hotkeys->release(digitKeys(3)); }},
    };
    revokePermission();
    for (const auto &[what, trigger] : entries) {
        SCOPED_TRACE(what);
        permissionPlatform.requests = 0;
        trigger();
        processEvents();
        EXPECT_EQ(permissionPlatform.requests, 1);
        EXPECT_TRUE(overlays.overlayViews().empty());
        EXPECT_EQ(CountdownOverlay::shared().panel(), nullptr);
        EXPECT_TRUE(grabber.grabbedAreas.isEmpty() && grabber.grabbedWindows.isEmpty());
        EXPECT_TRUE(outputs.alerts.isEmpty());
    }
}

TEST_F(HotkeyServiceTest, ADelayedCaptureChecksThePermissionAgainWhenTheCountdownEnds)
{
    coordinator.startDelayedCapture(3, CaptureMode::fullscreen);
    ASSERT_NE(CountdownOverlay::shared().panel(), nullptr);
    revokePermission();
    finishCountdown();
    processEvents();
    EXPECT_EQ(permissionPlatform.requests, 1);
    EXPECT_TRUE(grabber.grabbedAreas.isEmpty());
    EXPECT_TRUE(outputs.alerts.isEmpty());
}

TEST_F(HotkeyServiceTest, ANewerCountdownReplacesTheOlderWhoseCaptureNeverHappens)
{
    windows.windows = std::nullopt; // a window capture would fail with an alert
    coordinator.startDelayedCapture(3, CaptureMode::window);
    coordinator.startDelayedCapture(5, CaptureMode::fullscreen);
    finishCountdown();
    ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));
    processEvents();
    EXPECT_EQ(grabber.grabbedAreas, QList{QRect(0, 0, 1600, 1200)});
    EXPECT_TRUE(outputs.alerts.isEmpty());
}

TEST_F(HotkeyServiceTest, EachShortcutHasItsDefaultAndStartsItsFlowOnRelease)
{
    const std::tuple<KeyboardShortcuts::Name, int, qint64, std::function<bool()>> shortcuts[] = {
        {ShortcutNames::captureRegion(), 4, 21, [&] { return !overlays.overlayViews().empty(); }},
        {ShortcutNames::captureScroll(), 5, 23, [&] { return !overlays.overlayViews().empty(); }},
        {ShortcutNames::captureFullscreen(), 3, 20, [&] { return !grabber.grabbedAreas.isEmpty(); }},
        {ShortcutNames::captureWindow(), 6, 22, [&] { return !outputs.alerts.isEmpty(); }},
    };
    for (const auto &[name, digit, keyCode, started] : shortcuts) {
        SCOPED_TRACE(name.rawValue.toStdString());
        grabber.grabbedAreas.clear(); // the overlays grab the screens too
        EXPECT_EQ(name.shortcut(), KeyboardShortcuts::Shortcut::fromCarbon(keyCode, 2816));
        hotkeys->press(digitKeys(digit));
        processEvents();
        EXPECT_FALSE(started()) << "nothing starts before the keys are released";
        hotkeys->release(digitKeys(digit));
        EXPECT_TRUE(waitUntil(started));
        overlays.dismissOverlays();
    }
}

TEST_F(HotkeyServiceTest, AShortcutOfACoordinatorThatIsGoneDoesNothing)
{
    { HotkeyService gone(capture, overlays, scroll, pipeline, permission, [] { return std::optional(IdA); }); }
    hotkeys->release(digitKeys(3));
    ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));
    processEvents();
    EXPECT_EQ(grabber.grabbedAreas.size(), 1);
}

// Once the overlay is up the live screen shows it; the file must hold what
// the user saw when dragging, not the overlay.
TEST_F(HotkeyServiceTest, ARegionIsSavedFromThePictureTheUserSaw)
{
    const QRgb seen = qRgb(10, 200, 30);
    grabber.areaColor = seen;
    coordinator.startRegionCapture();
    ASSERT_NE(overlayOn(IdA), nullptr);
    grabber.areaColor = qRgb(0, 0, 0);
    drag(overlayOn(IdA), {10, 20}, {110, 70});
    ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));

    const QImage saved = savedImage();
    EXPECT_EQ(saved.size(), QSize(200, 100));
    EXPECT_EQ(saved.pixel(0, 0), seen);
    EXPECT_EQ(saved.pixel(199, 99), seen);
    EXPECT_TRUE(overlays.overlayViews().empty());
}

TEST_F(HotkeyServiceTest, EscapeInTheOverlayEndsTheFlowSilently)
{
    coordinator.startRegionCapture();
    QTest::keyClick(overlayOn(IdA), Qt::Key_Escape);
    processEvents();
    EXPECT_TRUE(overlays.overlayViews().empty());
    EXPECT_TRUE(savedFiles().isEmpty());
    EXPECT_TRUE(outputs.alerts.isEmpty());
    EXPECT_EQ(sound.playCount, 0);
}

TEST_F(HotkeyServiceTest, AScrollSelectionGoesToTheScrollCaptureService)
{
    coordinator.startScrollSelection();
    drag(overlayOn(IdB), {10, 20}, {110, 70});
    processEvents();
    EXPECT_EQ(scroll.captureRect(), QRectF(1610, 20, 100, 50));
    EXPECT_EQ(scroll.captureDisplayID(), IdB);
    EXPECT_NE(scroll.controlPanel(), nullptr);
    scroll.cancelCapture();
}

// Each setting is read at the step that uses it: changes made while the
// prompt is open apply to this capture; the copy comes before the preview.
TEST_F(HotkeyServiceTest, ThePipelineReadsEachSettingAtItsStep)
{
    settings.setPromptForFileName(true);
    settings.setImageFormat(ImageFormat::jpeg);
    QGuiApplication::clipboard()->clear();
    bool copiedBeforePreview = false;
    outputs.onPreview = [&] { copiedBeforePreview = !QGuiApplication::clipboard()->image().isNull(); };
    QFuture<QString> done = coordinator.handleCapture(image());
    ASSERT_EQ(outputs.prompts.size(), 1);
    EXPECT_TRUE(outputs.prompts.first().defaultName.startsWith(QStringLiteral("Screenshot ")));
    EXPECT_EQ(outputs.prompts.first().defaultFormat, ImageFormat::jpeg);

    settings.setSavePath(dir.filePath(QStringLiteral("later")));
    settings.setCopyToClipboard(true);
    settings.setShowPreviewThumbnail(true);
    outputs.answerPrompt({QStringLiteral("Invoice"), ImageFormat::png});
    ASSERT_TRUE(waitUntil([&] { return done.isFinished(); }));

    EXPECT_EQ(done.result(), dir.filePath(QStringLiteral("later/Invoice.png")));
    EXPECT_EQ(savedFiles(), QStringList{QStringLiteral("Invoice.png")});
    ASSERT_EQ(outputs.previews.size(), 1);
    EXPECT_TRUE(copiedBeforePreview);
}

TEST_F(HotkeyServiceTest, AnImageTooTallForJpegIsSavedAsPngWithANotice)
{
    settings.setImageFormat(ImageFormat::jpeg);
    for (const int extra : {1, 0}) {
        SCOPED_TRACE(extra);
        const QString path = coordinator.handleCapture(image({2, CaptureOutputPipeline::MaximumJpegHeight + extra})).result();
        EXPECT_TRUE(path.endsWith(extra ? QStringLiteral(".png") : QStringLiteral(".jpeg")));
        EXPECT_EQ(outputs.notices.size(), 1) << "a notice only when PNG stands in";
    }
}

// One alert per failure, in a task of its own; a failed save copies and
// shows nothing.
TEST_F(HotkeyServiceTest, EachFailureEndsInOneCaptureFailedAlert)
{
    QFile blocker(dir.filePath(QStringLiteral("a file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const std::tuple<const char *, std::function<void()>, QString> failures[] = {
        {"no window", [&] { windows.windows = std::nullopt; coordinator.startWindowCapture(); },
            CaptureErrors::message(CaptureError::windowNotFound)},
        {"grab refused", [&] { grabber.failure = QStringLiteral("Could not read the screen"); coordinator.startFullscreenCapture(); },
            QStringLiteral("Could not read the screen")},
        {"save folder below a file", [&] { settings.setSavePath(blocker.fileName() + QStringLiteral("/shots")); coordinator.startFullscreenCapture(); },
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

// No busy flag: two quick triggers give two files.
TEST_F(HotkeyServiceTest, TwoQuickCapturesGiveTwoFiles)
{
    coordinator.startFullscreenCapture();
    coordinator.startFullscreenCapture();
    EXPECT_TRUE(waitUntil([&] { return savedFiles().size() == 2; }));
}

} // namespace
