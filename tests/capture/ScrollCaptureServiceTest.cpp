#include "capture/ScrollCaptureService.h"
#include "capture/CaptureError.h"
#include "capture/FrameStitcher.h"
#include "capture/ScrollCaptureControlView.h"
#include "capture/ScrollCaptureFrame.h"
#include "output/CaptureOutputPipeline.h"
#include "output/CaptureOutputs.h"

#include "fakes/FakeCaptureOutputs.h"
#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeScrollWheel.h"
#include "fakes/Fixtures.h"
#include "support/AlertAnswerer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QPromise>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace {

using TestSupport::waitUntil;

// Frames of 10 × 10 pixels, one colour each: nothing ties two of them
// together, so stitching stacks them whole and the output's height counts
// the frames it holds.
QImage frame(QRgb colour, int height = 10)
{
    return uniform(10, height, colour);
}

class ScrollCaptureServiceTest : public ::testing::Test, public TemporarySettings
{
protected:
    void SetUp() override
    {
        compositing.running = true; // the offscreen platform cannot shape windows
        service.setStitcher([this](const QList<QImage> &frames, const QList<RowSignatures> &signatures,
                                const QList<double> &wheelSteps) {
            stitched = frames.size();
            stitchedWheelSteps = wheelSteps;
            return stitch(frames, signatures, wheelSteps);
        });
    }
    // Each grab waits for the test to complete it; without an image it fails.
    QFuture<CaptureResult> grab(QRectF rect, quint32 displayID)
    {
        grabs.append({rect, displayID});
        auto &promise = pending.emplace_back(std::make_unique<QPromise<CaptureResult>>());
        promise->start();
        return promise->future();
    }
    void completeGrab(const QImage &image = {})
    {
        ASSERT_FALSE(pending.empty());
        auto promise = std::move(pending.front());
        pending.pop_front();
        if (image.isNull())
            promise->setException(CaptureFailure(CaptureError::captureFailedNoImage));
        else
            promise->addResult(CaptureResult{image, CaptureMode::scroll, QDateTime::currentDateTime(), 7, {}});
        promise->finish();
        processEvents();
    }
    // One firing of the frame timer and the frame it grabs.
    void recordFrame(const QImage &image)
    {
        service.captureFrame();
        completeGrab(image);
    }
    void startRecording()
    {
        service.startScrollCapture(QRectF(100, 200, 300, 150), 7);
        service.beginCapturing();
    }
    ScrollCaptureControlView *view() const
    {
        return service.controlPanel()->findChild<ScrollCaptureControlView *>();
    }
    QString label() const { return view()->frameCountLabel()->text(); }

    // The one file the capture saved, once it is there.
    QImage waitForSavedImage() const
    {
        if (!waitUntil([&] { return savedFiles().size() == 1; }))
            return {};
        return QImage(QDir(settings.savePath()).filePath(savedFiles().first()));
    }

    FakeCaptureOutputs outputs;
    CaptureOutputPipeline pipeline{files, settings, outputs};
    FakeCompositingManager compositing;
    QList<std::pair<QRectF, quint32>> grabs;
    std::deque<std::unique_ptr<QPromise<CaptureResult>>> pending;
    qsizetype stitched = 0; // frames the stitcher was given
    QList<double> stitchedWheelSteps;
    ScrollCaptureService::Stitcher stitch = &FrameStitcher::stitchFrames;
    FakeScrollWheel wheel;
    ScrollCaptureService service{[this](QRectF r, quint32 d) { return grab(r, d); }, pipeline, compositing, &wheel};
};

TEST_F(ScrollCaptureServiceTest, StartArmsThePanelAboveTheRectangleAndItsButtonsFollowTheState)
{
    service.startScrollCapture(QRectF(100, 200, 300, 150), 7);
    EXPECT_FALSE(service.isCapturing());
    EXPECT_EQ(service.captureTimer(), nullptr);
    ASSERT_NE(service.controlPanel(), nullptr);
    // A frame around the rectangle, not one pixel of it inside.
    ASSERT_NE(service.rectangleFrame(), nullptr);
    const QRegion outline = service.rectangleFrame()->mask().translated(service.rectangleFrame()->pos());
    EXPECT_TRUE(outline.boundingRect().contains(QRect(100, 200, 300, 150)));
    EXPECT_FALSE(outline.intersects(QRect(100, 200, 300, 150)));
    EXPECT_TRUE(view()->startButton()->isEnabled());
    EXPECT_FALSE(view()->doneButton()->isEnabled());
    EXPECT_TRUE(view()->frameCountLabel()->isHidden());
    view()->startButton()->click();
    EXPECT_TRUE(service.isCapturing());
    ASSERT_NE(service.captureTimer(), nullptr);
    EXPECT_EQ(service.captureTimer()->interval(), 200);
    EXPECT_TRUE(grabs.isEmpty()) << "no frame is taken at Start itself";
    EXPECT_EQ(view()->startButton()->text(), QStringLiteral("Recording\u2026"));
    EXPECT_EQ(std::tuple(view()->startButton()->isEnabled(), view()->doneButton()->isEnabled(),
                  view()->frameCountLabel()->isHidden()),
        std::tuple(false, true, false));
    ASSERT_NE(view()->pollTimer(), nullptr);
    // The label follows only its own timer.
    recordFrame(frame(qRgb(255, 0, 0)));
    EXPECT_EQ(grabs, (QList{std::make_pair(QRectF(100, 200, 300, 150), quint32(7))}));
    EXPECT_EQ(label(), QStringLiteral("0 frames"));
    view()->updateFrameCountLabel();
    EXPECT_EQ(label(), QStringLiteral("1 frames"));
    // Stopped by other means: the next refresh stops itself, the count stays.
    ScrollCaptureControlView *stopped = view();
    service.cancelCapture();
    stopped->updateFrameCountLabel();
    EXPECT_EQ(stopped->pollTimer(), nullptr);
    EXPECT_EQ(stopped->frameCountLabel()->text(), QStringLiteral("1 frames"));
}

TEST_F(ScrollCaptureServiceTest, ThePanelStaysOnItsScreen)
{
    const QRect screen(0, 24, 1280, 776); // below a 24-pixel top bar
    // what, the selection, the screen's available area, the panel's top left
    const std::tuple<const char *, QRectF, QRect, QPoint> cases[] = {
        {"above, centred", {100, 200, 300, 150}, screen, {130, 146}},
        {"no screen known: above, even off screen", {10.25, 20.5, 100.5, 20}, {}, {-60, -34}},
        {"no room above: below", {100, 40, 300, 150}, screen, {130, 200}},
        {"no room above or below: inside the top edge", {100, 24, 300, 760}, screen, {130, 34}},
        {"kept from the left edge", {0, 300, 100, 50}, screen, {0, 246}},
        {"kept from the right edge", {1200, 300, 80, 50}, screen, {1040, 246}},
    };
    for (const auto &[what, selection, available, panel] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(ScrollCaptureService::panelFrameFor(selection, available), QRect(panel, QSize(240, 44)));
    }
    // A selection at the top of the screen the panel opens on; the panel is
    // as wide as what recording will show needs, and centred for that width.
    service.startScrollCapture(QRectF(100, 0, 300, 150), 7);
    const QRect panel = service.controlPanel()->geometry();
    EXPECT_EQ(panel, ScrollCaptureService::panelFrameFor(QRectF(100, 0, 300, 150), screen, panel.size()));
    EXPECT_EQ(std::tuple(panel.top(), panel.height()), std::tuple(160, 44));
    EXPECT_GE(panel.width(), 240);
}

// Without a window manager no title bar shows: the heading is in the alert.
TEST(StandardCaptureOutputs, TheAlertShowsItsHeadingAndTheMessage)
{
    AlertAnswerer answerer(QStringLiteral("OK"));
    StandardCaptureOutputs().showAlert(
        QStringLiteral("Scroll Capture Failed"), QStringLiteral("Failed to stitch scroll capture frames."));
    EXPECT_EQ(std::tuple(answerer.shown, answerer.text, answerer.informativeText),
        std::tuple(1, QStringLiteral("Scroll Capture Failed"), QStringLiteral("Failed to stitch scroll capture frames.")));
}

TEST_F(ScrollCaptureServiceTest, CancelAndDoneCloseThePanel)
{
    const std::pair<bool, QPushButton *(ScrollCaptureControlView::*)() const> cases[] = {
        {false, &ScrollCaptureControlView::cancelButton},
        {true, &ScrollCaptureControlView::cancelButton},
        {true, &ScrollCaptureControlView::doneButton},
    };
    for (const auto &[startFirst, button] : cases) {
        SCOPED_TRACE(startFirst);
        service.startScrollCapture(QRectF(100, 200, 300, 150), 1);
        QPointer<QWidget> panel = service.controlPanel();
        ScrollCaptureControlView *panelView = view();
        if (startFirst)
            panelView->startTapped();
        (panelView->*button)()->click();
        EXPECT_FALSE(service.isCapturing());
        EXPECT_EQ(service.controlPanel(), nullptr);
        EXPECT_EQ(service.rectangleFrame(), nullptr);
        EXPECT_FALSE(wheel.counting);
        EXPECT_EQ(panelView->pollTimer(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(panel.isNull());
    }
}

TEST_F(ScrollCaptureServiceTest, AFullMemoryBudgetStopsTheFramesAndDoneStillSavesThem)
{
    service.setMemoryBudget(2 * frame(0).sizeInBytes() + 10);
    QSignalSpy full(&service, &ScrollCaptureService::isMemoryFullChanged);
    service.startScrollCapture(QRectF(100, 200, 300, 150), 7);
    QWidget *panel = service.controlPanel();
    const auto buttonPlaces = [&] {
        QList<QRect> places;
        for (QPushButton *b : {view()->startButton(), view()->doneButton(), view()->cancelButton()})
            places.append(QRect(panel->pos() + b->mapTo(panel, QPoint(0, 0)), b->size()));
        return places;
    };
    const QList<QRect> armed = buttonPlaces();
    view()->startTapped(); // (that Start moves no button: ScrollCaptureX11Test)
    recordFrame(frame(qRgb(255, 0, 0)));
    recordFrame(frame(qRgb(0, 255, 0)));
    EXPECT_FALSE(service.isMemoryFull());
    recordFrame(frame(qRgb(0, 0, 255)));
    EXPECT_EQ(std::tuple(service.isMemoryFull(), full.count(), service.frameCount(), service.captureTimer()),
        std::tuple(true, 1, 2, nullptr));
    EXPECT_TRUE(service.isCapturing()) << "Done must still be possible";
    // The longer label widens the panel to the right instead of being cut;
    // no button moves.
    view()->updateFrameCountLabel();
    EXPECT_EQ(label(), QStringLiteral("2 frames \u00b7 memory full"));
    const QRect labelFrame = view()->frameCountLabel()->geometry();
    EXPECT_LE(view()->frameCountLabel()->sizeHint().width(), labelFrame.width());
    EXPECT_TRUE(view()->rect().contains(labelFrame));
    EXPECT_EQ(panel->width(), view()->width());
    EXPECT_EQ(buttonPlaces(), armed);
    service.finishCapture();
    EXPECT_EQ(waitForSavedImage().height(), 20);
    EXPECT_TRUE(outputs.alerts.isEmpty());
}

// A grab in flight at Done lands after the output was taken.
TEST_F(ScrollCaptureServiceTest, FiringsDuringASlowGrabAreSkippedFailedAndLateGrabsAddNothing)
{
    startRecording();
    service.captureFrame();
    service.captureFrame();
    service.captureFrame();
    EXPECT_EQ(grabs.size(), 1);
    EXPECT_TRUE(service.isCapturingFrame());
    completeGrab(frame(qRgb(255, 0, 0)));
    EXPECT_EQ(service.frameCount(), 1);
    EXPECT_FALSE(service.isCapturingFrame());
    service.captureFrame();
    completeGrab();
    EXPECT_EQ(service.frameCount(), 1);
    EXPECT_FALSE(service.isCapturingFrame());
    EXPECT_TRUE(outputs.alerts.isEmpty());
    recordFrame(frame(qRgb(255, 0, 0))); // identical frames are kept
    EXPECT_EQ(service.frameCount(), 2);
    EXPECT_EQ(grabs.size(), 3);
    service.captureFrame();
    service.finishCapture();
    EXPECT_EQ(service.captureTimer(), nullptr);
    completeGrab(frame(qRgb(0, 0, 255)));
    EXPECT_EQ(service.frameCount(), 3);
    EXPECT_FALSE(waitForSavedImage().isNull());
    EXPECT_EQ(stitched, 2);
}

TEST_F(ScrollCaptureServiceTest, CancelDropsTheFramesAndALateOneStaysUntilTheNextStart)
{
    startRecording();
    recordFrame(frame(qRgb(255, 0, 0)));
    service.captureFrame();
    service.cancelCapture();
    EXPECT_EQ(service.frameCount(), 0);
    completeGrab(frame(qRgb(0, 255, 0)));
    EXPECT_EQ(service.frameCount(), 1);
    // A grab begun for the cancelled capture never joins the next one.
    service.captureFrame();
    startRecording();
    EXPECT_EQ(service.frameCount(), 0);
    completeGrab(frame(qRgb(0, 0, 255)));
    EXPECT_EQ(service.frameCount(), 0);
    processEvents();
    EXPECT_TRUE(savedFiles().isEmpty());
}

TEST_F(ScrollCaptureServiceTest, DoneWithoutFramesIsSilentAndOneFrameIsSavedUnstitched)
{
    startRecording();
    service.finishCapture();
    processEvents();
    EXPECT_TRUE(savedFiles().isEmpty());
    EXPECT_TRUE(outputs.alerts.isEmpty());
    const QImage single = frame(qRgb(12, 34, 56), 23);
    startRecording();
    recordFrame(single);
    service.finishCapture();
    EXPECT_EQ(waitForSavedImage().convertToFormat(QImage::Format_RGB32), single);
    EXPECT_EQ(stitched, 0);
    service.finishCapture(); // a second Done writes nothing more
    processEvents();
    EXPECT_EQ(savedFiles().size(), 1);
}

TEST_F(ScrollCaptureServiceTest, StitchingAndSavingFailuresEndInOneAlert)
{
    settings.setCopyToClipboard(true);
    settings.setShowPreviewThumbnail(true);
    QFile blocker(dir.filePath(QStringLiteral("a file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    for (const bool failStitching : {true, false}) {
        SCOPED_TRACE(failStitching ? "stitching" : "saving");
        outputs.alerts.clear();
        settings.setSavePath(failStitching ? dir.filePath(QStringLiteral("shots"))
                                           : blocker.fileName() + QStringLiteral("/shots"));
        stitch = [&](const QList<QImage> &frames, const QList<RowSignatures> &signatures,
                     const QList<double> &wheelSteps) {
            if (failStitching)
                throw CaptureFailure(CaptureError::stitchingFailed);
            return FrameStitcher::stitchFrames(frames, signatures, wheelSteps);
        };
        startRecording();
        recordFrame(frame(qRgb(255, 0, 0)));
        recordFrame(frame(qRgb(0, 255, 0)));
        service.finishCapture();
        ASSERT_TRUE(waitUntil([&] { return !outputs.alerts.isEmpty(); }));
        processEvents();
        ASSERT_EQ(outputs.alerts.size(), 1);
        const QString message = failStitching ? QStringLiteral("Failed to stitch scroll capture frames.")
                                              : QStringLiteral("Could not create folder");
        EXPECT_TRUE(outputs.alerts.first().startsWith(QStringLiteral("Scroll Capture Failed: ") + message))
            << outputs.alerts.first().toStdString();
        EXPECT_TRUE(savedFiles().isEmpty());
        EXPECT_TRUE(outputs.previews.isEmpty());
    }
}

// The wheel is read as each grab is asked for, counted only while
// recording, and its readings reach the stitcher with their frames.
TEST_F(ScrollCaptureServiceTest, TheWheelIsReadWithEveryGrabAndHandedToTheStitcher)
{
    for (const bool available : {true, false}) {
        SCOPED_TRACE(available);
        wheel.available = available;
        service.startScrollCapture(QRectF(100, 200, 300, 150), 7);
        EXPECT_FALSE(wheel.counting) << "counting before Start";
        service.beginCapturing();
        EXPECT_EQ(wheel.counting, available);
        service.captureFrame();
        wheel.position = 2; // turned while the first grab was in flight
        completeGrab(frame(qRgb(255, 0, 0)));
        recordFrame(frame(qRgb(0, 255, 0)));
        service.captureFrame();
        completeGrab(); // a failed grab leaves no reading behind
        wheel.position = 4.5;
        recordFrame(frame(qRgb(0, 0, 255)));
        service.finishCapture();
        EXPECT_FALSE(wheel.counting);
        // The file is written after the stitcher returned.
        ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == (available ? 1 : 2); }));
        EXPECT_EQ(stitched, 3);
        // Not compared as lists when empty: Qt 6.4 hands memcmp a null pointer then.
        if (available)
            EXPECT_EQ(stitchedWheelSteps, QList<double>({0, 2, 4.5}));
        else
            EXPECT_TRUE(stitchedWheelSteps.isEmpty());
    }
}

} // namespace
