#include "capture/ScrollCaptureControlView.h"
#include "app/AppSettings.h"
#include "capture/ScrollCaptureService.h"
#include "output/FileService.h"
#include "platform/DefaultsStore.h"

#include "fakes/FakeCompositingManager.h"
#include "fakes/FakeScrollCaptureOutputs.h"
#include "fakes/FakeSoundPlayer.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPromise>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using TestSupport::waitUntil;

// The panel over a service whose grabs complete at once with a small frame.
class ScrollCaptureControlViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        compositing.running = true; // the offscreen platform cannot shape windows
        settings.setSavePath(dir.filePath(QStringLiteral("shots")));
        service->startScrollCapture(QRectF(100, 200, 300, 150), 1);
        ASSERT_NE(service->controlPanel(), nullptr);
        view = service->controlPanel()->findChild<ScrollCaptureControlView *>();
        ASSERT_NE(view, nullptr);
    }

    static QFuture<CaptureResult> grab(QRectF, quint32)
    {
        QImage image(10, 10, QImage::Format_RGB32);
        image.fill(Qt::gray);
        return QtFuture::makeReadyFuture(CaptureResult{image, CaptureMode::scroll, {}, 1});
    }
    void recordFrames(int count)
    {
        for (int i = 0; i < count; ++i) {
            const int before = service->frameCount();
            service->captureFrame();
            ASSERT_TRUE(waitUntil([&] { return service->frameCount() == before + 1; }));
        }
    }
    QString label() const { return view->frameCountLabel()->text(); }

    QTemporaryDir dir;
    DefaultsStore store{dir.filePath(QStringLiteral("defaults.json"))};
    AppSettings settings{store};
    FakeSoundPlayer sound;
    FileService files{sound};
    FakeScrollCaptureOutputs outputs;
    FakeCompositingManager compositing;
    std::unique_ptr<ScrollCaptureService> service
        = std::make_unique<ScrollCaptureService>(&grab, files, settings, outputs, compositing);
    ScrollCaptureControlView *view = nullptr;
};

TEST_F(ScrollCaptureControlViewTest, ArmedThenRecordingButtonsAndLabel)
{
    EXPECT_EQ(view->size(), QSize(240, 44));
    EXPECT_EQ(view->startButton()->text(), QStringLiteral("Start"));
    EXPECT_TRUE(view->startButton()->isEnabled());
    EXPECT_FALSE(view->doneButton()->isEnabled());
    EXPECT_TRUE(view->cancelButton()->isEnabled());
    EXPECT_TRUE(view->frameCountLabel()->isHidden());
    EXPECT_EQ(label(), QStringLiteral("0 frames"));

    view->startButton()->click();
    EXPECT_TRUE(service->isCapturing());
    EXPECT_EQ(view->startButton()->text(), QStringLiteral("Recording\u2026"));
    EXPECT_FALSE(view->startButton()->isEnabled());
    EXPECT_TRUE(view->doneButton()->isEnabled());
    EXPECT_FALSE(view->frameCountLabel()->isHidden());
    ASSERT_NE(view->pollTimer(), nullptr);
    EXPECT_EQ(view->pollTimer()->interval(), 200);

    // The label follows only its own timer.
    recordFrames(1);
    EXPECT_EQ(label(), QStringLiteral("0 frames"));
    view->updateFrameCountLabel();
    EXPECT_EQ(label(), QStringLiteral("1 frames"));
    recordFrames(11);
    view->updateFrameCountLabel();
    EXPECT_EQ(label(), QStringLiteral("12 frames"));

    // Stopped by other means: the next refresh stops itself, the count stays.
    service->cancelCapture();
    view->updateFrameCountLabel();
    EXPECT_EQ(view->pollTimer(), nullptr);
    EXPECT_EQ(label(), QStringLiteral("12 frames"));
}

TEST_F(ScrollCaptureControlViewTest, ALongCounterWidensThePanelAboutItsCentreInsteadOfBeingCut)
{
    QWidget *panel = service->controlPanel();
    const int centre = panel->geometry().center().x();
    service->setMemoryBudget(2 * 10 * 10 * 4); // two 10 × 10 frames fill it
    view->startButton()->click();
    recordFrames(2);
    service->captureFrame();
    ASSERT_TRUE(service->isMemoryFull());
    view->updateFrameCountLabel();

    EXPECT_EQ(label(), QStringLiteral("2 frames · memory full"));
    const QRect labelFrame = view->frameCountLabel()->geometry();
    EXPECT_LE(view->frameCountLabel()->sizeHint().width(), labelFrame.width());
    EXPECT_TRUE(view->rect().contains(labelFrame));
    EXPECT_EQ(panel->width(), view->width());
    EXPECT_NEAR(panel->geometry().center().x(), centre, 1);
}

TEST_F(ScrollCaptureControlViewTest, CancelAndDoneCloseThePanel)
{
    struct Case
    {
        const char *what;
        bool startFirst;
        QPushButton *(ScrollCaptureControlView::*button)() const;
    };
    const Case cases[] = {
        {"Cancel before Start", false, &ScrollCaptureControlView::cancelButton},
        {"Cancel while recording", true, &ScrollCaptureControlView::cancelButton},
        {"Done while recording", true, &ScrollCaptureControlView::doneButton},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        service->startScrollCapture(QRectF(100, 200, 300, 150), 1);
        QPointer<QWidget> panel = service->controlPanel();
        view = panel->findChild<ScrollCaptureControlView *>();
        if (c.startFirst)
            view->startTapped();
        (view->*c.button)()->click();
        EXPECT_FALSE(service->isCapturing());
        EXPECT_EQ(service->controlPanel(), nullptr);
        EXPECT_EQ(view->pollTimer(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(panel.isNull());
    }
}

} // namespace
