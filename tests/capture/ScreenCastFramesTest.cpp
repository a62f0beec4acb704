#include "capture/PanelMarker.h"
#include "capture/ScreenCastFrames.h"
#include "capture/ScrollCaptureControlView.h"
#include "capture/ScrollCaptureService.h"
#include "output/CaptureOutputPipeline.h"

#include "fakes/FakeCaptureOutputs.h"
#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeScreenCast.h"
#include "fakes/Fixtures.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using TestSupport::waitUntil;

// A page whose rows all differ, across its whole width.
QImage page(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((y * 7 + x / 40) % 256, (y * 13) % 256, (y / 2 + x / 25) % 256));
    return image;
}

class ScreenCastFramesTest : public ::testing::Test, public TemporarySettings
{
protected:
    static constexpr QRect Display {0, 0, 400, 300};
    static inline const QRectF Selection {50, 40, 200, 100};

    // The display with the page scrolled down by `offset` rows.
    QImage picture(int offset) const { return content.copy(0, offset, Display.width(), Display.height()); }
    void startRecording()
    {
        service.startScrollCapture(Selection, 7);
        service.controlPanel()->findChild<ScrollCaptureControlView *>()->startTapped();
    }
    void show(const QImage &display)
    {
        emit cast.frameReady(display);
        processEvents();
    }
    QString label() const
    {
        auto *view = service.controlPanel()->findChild<ScrollCaptureControlView *>();
        view->updateFrameCountLabel();
        return view->frameCountLabel()->text();
    }

    QImage content = page(Display.width(), 1200);
    FakeScreenCast cast;
    ScreenCastFrames frames {cast, *store};
    FakeCaptureOutputs outputs;
    CaptureOutputPipeline pipeline {files, settings, outputs};
    FakeCompositingManager compositing {true};
    ScrollCaptureService service {frames, pipeline, compositing};
};

TEST_F(ScreenCastFramesTest, EachNewPictureIsTakenAtOnceTheCastRunsOnlyWhileRecordingAndThePageIsSaved)
{
    store->setValue(QString::fromLatin1(ScreenCastFrames::RestoreTokenKey), QStringLiteral("old"));
    service.startScrollCapture(Selection, 7);
    EXPECT_TRUE(cast.starts.isEmpty()) << "nothing is shared before Start";
    service.controlPanel()->findChild<ScrollCaptureControlView *>()->startTapped();
    EXPECT_EQ(cast.starts, QStringList {QStringLiteral("old")});
    emit cast.started(Display, QStringLiteral("new"));
    EXPECT_EQ(store->string(QString::fromLatin1(ScreenCastFrames::RestoreTokenKey)), QStringLiteral("new"));
    // Uneven steps, faster than the frame timer, which never fires here.
    for (const int offset : {0, 30, 95, 96, 180, 260})
        show(picture(offset));
    EXPECT_EQ(service.frameCount(), 6);
    service.captureFrame(); // a tick with nothing new adds nothing
    processEvents();
    EXPECT_EQ(service.frameCount(), 6);
    service.finishCapture();
    EXPECT_FALSE(cast.running);
    ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));
    const QImage saved(QDir(settings.savePath()).filePath(savedFiles().first()));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), content.copy(50, 40, 200, 100 + 260));
}

TEST_F(ScreenCastFramesTest, TheSelectionIsCutAtTheCastsOwnPixels)
{
    const QImage twice = page(800, 600);
    // what, the picture, the display it shows (points), the selection (points), the pixels cut or none
    const std::tuple<const char *, QImage, QRect, QRectF, std::optional<QRect>> cases[] = {
        {"scale 1, fractions truncated", page(400, 300), Display, {50.5, 40.25, 200.75, 100}, QRect(50, 40, 200, 100)},
        {"scale 2", twice, Display, Selection, QRect(100, 80, 400, 200)},
        {"a display right of another", page(400, 300), {1280, 0, 400, 300}, {1300, 10, 100, 50}, QRect(20, 10, 100, 50)},
        {"running off the display", page(400, 300), Display, {350, 40, 100, 100}, std::nullopt},
        {"on another display", page(400, 300), {1280, 0, 400, 300}, Selection, std::nullopt},
    };
    for (const auto &[what, image, display, selection, pixels] : cases) {
        SCOPED_TRACE(what);
        const std::optional<QImage> cut = ScreenCastFrames::cut(image, display, selection);
        ASSERT_EQ(cut.has_value(), pixels.has_value());
        if (pixels) {
            EXPECT_EQ(*cut, image.copy(*pixels));
        }
    }
}

// The desktop decides where the panel goes, so it may land on the selection.
TEST_F(ScreenCastFramesTest, NoFrameEverHoldsThePanelAndThePanelAsksToBeMoved)
{
    startRecording();
    emit cast.started(Display, {});
    const QImage panel = service.controlPanel()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto withPanelAt = [&](QPoint at) {
        QImage display = picture(0);
        QPainter(&display).drawImage(at, panel);
        return display;
    };
    show(withPanelAt({200, 130})); // its top left corner over the selection's bottom right
    EXPECT_EQ(service.frameCount(), 0);
    EXPECT_TRUE(service.isObstructed());
    EXPECT_EQ(label(), QStringLiteral("0 frames \u00b7 drag this panel off the area"));
    show(withPanelAt({0, 250}));
    EXPECT_EQ(service.frameCount(), 1);
    EXPECT_FALSE(service.isObstructed());
    EXPECT_EQ(label(), QStringLiteral("1 frames"));
    EXPECT_EQ(service.capturedFrames().first(), content.copy(Selection.toRect()));
    // Text and a fine gradient are not taken for the panel.
    QImage text = uniform(300, 60, Qt::white);
    QPainter painter(&text);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawText(text.rect(), QStringLiteral("Lorem ipsum dolor sit amet, consectetur"));
    painter.end();
    EXPECT_EQ(PanelMarker::find(text), std::nullopt);
    EXPECT_EQ(PanelMarker::find(page(400, 300)), std::nullopt);
}

TEST_F(ScreenCastFramesTest, ADeclinedShareEndsQuietlyAFailedCastInOneAlertAndWhatWasRecordedIsSaved)
{
    startRecording();
    emit cast.failed({});
    processEvents();
    EXPECT_FALSE(service.isCapturing());
    EXPECT_EQ(service.controlPanel(), nullptr);
    EXPECT_TRUE(outputs.alerts.isEmpty());
    // A cast that breaks off keeps what it recorded.
    startRecording();
    emit cast.started(Display, {});
    show(picture(0));
    emit cast.failed(QStringLiteral("PipeWire went away"));
    processEvents();
    EXPECT_EQ(outputs.alerts, QStringList {QStringLiteral("Scroll Capture Failed: PipeWire went away")});
    EXPECT_EQ(service.controlPanel(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));
    // A remembered display without the selection: the user is asked once.
    outputs.alerts.clear();
    store->setValue(QString::fromLatin1(ScreenCastFrames::RestoreTokenKey), QStringLiteral("elsewhere"));
    const qsizetype startsBefore = cast.starts.size();
    startRecording();
    emit cast.started({1280, 0, 400, 300}, {});
    show(picture(0));
    EXPECT_EQ(cast.starts.mid(startsBefore), (QStringList {QStringLiteral("elsewhere"), QString()}));
    EXPECT_TRUE(cast.running);
    emit cast.started({1280, 0, 400, 300}, {});
    show(picture(0));
    EXPECT_FALSE(cast.running);
    EXPECT_EQ(outputs.alerts,
        QStringList {QStringLiteral("Scroll Capture Failed: The shared screen does not hold the selected area.")});
}

TEST_F(ScreenCastFramesTest, AFullMemoryBudgetEndsTheCastAndDoneSavesWhatWasKept)
{
    service.setMemoryBudget(content.copy(Selection.toRect()).sizeInBytes() + 10);
    startRecording();
    emit cast.started(Display, {});
    show(picture(0));
    show(picture(40));
    EXPECT_TRUE(service.isMemoryFull());
    EXPECT_FALSE(cast.running) << "the sharing indicator goes with the frames";
    EXPECT_TRUE(service.isCapturing());
    service.finishCapture();
    ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));
}

} // namespace
