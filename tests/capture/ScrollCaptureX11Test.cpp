#include "app/AppSettings.h"
#include "capture/CaptureService.h"
#include "capture/OverlayService.h"
#include "capture/ScrollCaptureControlView.h"
#include "capture/ScrollCaptureService.h"
#include "capture/SelectionOverlayView.h"
#include "output/CaptureOutputPipeline.h"
#include "output/FileService.h"
#include "platform/DefaultsStore.h"
#include "platform/x11/X11CompositingManager.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"

#include "fakes/FakeCaptureOutputs.h"
#include "fakes/FakeSoundPlayer.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

// Under openbox, a page in a window of another process is scrolled with
// the mouse wheel while the service records it, driven by xdotool as a
// user would: select with the overlay, Start, scroll, Done.
namespace {

using TestSupport::waitUntil;
using X11TestSupport::xdotool;

constexpr int PageHeight = 2400;
const QSize WindowSize(400, 600);

QStringList at(QPoint point)
{
    return {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())};
}

class ScrollCaptureX11Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.setSavePath(dir.filePath(QStringLiteral("shots")));
        settings.setPlaySound(false);
        settings.setShowPreviewThumbnail(false);
        overlays.onSelectionComplete
            = [this](QRectF rect, quint32 id, const FrozenScreens &) { scroll.startScrollCapture(rect, id); };
    }

    // Starts the page window and waits until it is placed and focused.
    void startPage(int step)
    {
        helper.emplace(QStringLiteral("400x600+200+100"), step, PageHeight);
        ASSERT_TRUE(helper->shown);
        ASSERT_TRUE(helper->waitForFocus()) << "the page never took the focus";
        pageOrigin = helper->origin;
    }

    void selectWithTheOverlay(const QRect &area)
    {
        overlays.showOverlays();
        ASSERT_TRUE(waitUntil([&] {
            for (const auto &[id, view] : overlays.overlayViews()) {
                if (!view->windowHandle()->isExposed() || view->grabRetryTimer().isActive())
                    return false;
            }
            return !overlays.overlayViews().empty();
        }));
        ASSERT_TRUE(xdotool(at(area.topLeft()) + QStringList{"mousedown", "1"} + at(area.center())
            + at(area.topLeft() + QPoint(area.width(), area.height())) + QStringList{"mouseup", "1"}));
        ASSERT_TRUE(waitUntil([&] { return scroll.controlPanel() && scroll.controlPanel()->isVisible(); }));
    }

    void click(QPushButton *button)
    {
        ASSERT_TRUE(waitUntil([&] { return button->window()->windowHandle()->isExposed(); }));
        ASSERT_TRUE(xdotool(at(button->mapToGlobal(button->rect().center())) + QStringList{"click", "1"}));
    }

    ScrollCaptureControlView *panelView() const
    {
        return scroll.controlPanel()->findChild<ScrollCaptureControlView *>();
    }

    QTemporaryDir dir;
    DefaultsStore store{dir.filePath(QStringLiteral("defaults.json"))};
    AppSettings settings{store};
    FakeSoundPlayer sound;
    FileService files{sound};
    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    X11CompositingManager compositing;
    CaptureService capture{nullptr, displays, grabber, windows};
    OverlayService overlays{grabber, compositing};
    FakeCaptureOutputs outputs;
    CaptureOutputPipeline pipeline{files, settings, outputs};
    ScrollCaptureService scroll{ScrollCaptureService::regionsOf(capture), pipeline, compositing};
    std::optional<X11TestSupport::HelperWindow> helper;
    QPoint pageOrigin;
};

TEST_F(ScrollCaptureX11Test, ScrollingAPageGivesThePageOverTheScrolledSpan)
{
    // Each wheel step moves the page by between half the selection's
    // height and that height minus 8 rows, so that neighbours overlap.
    constexpr int Step = 130, Steps = 6;
    startPage(Step);
    const QRect area(pageOrigin + QPoint(50, 100), QSize(300, 200));
    selectWithTheOverlay(area);

    click(panelView()->startButton());
    ASSERT_TRUE(waitUntil([&] { return scroll.isCapturing() && scroll.frameCount() >= 2; }));
    EXPECT_TRUE(helper->hasFocus()) << "pressing Start took the focus from the page";

    for (int i = 0; i < Steps; ++i) {
        const int before = scroll.frameCount();
        ASSERT_TRUE(xdotool(at(area.center()) + QStringList{"click", "5"}));
        ASSERT_TRUE(waitUntil([&] { return scroll.frameCount() >= before + 2; })) << "step " << i;
    }
    click(panelView()->doneButton());

    const QDir shots(settings.savePath());
    ASSERT_TRUE(waitUntil([&] { return shots.entryList(QDir::Files).size() == 1; }));
    EXPECT_TRUE(outputs.alerts.isEmpty()) << outputs.alerts.join(' ').toStdString();
    const QImage saved
        = QImage(shots.filePath(shots.entryList(QDir::Files).first())).convertToFormat(QImage::Format_RGB32);
    const QImage expected = TestWindowContent::scrollPage(WindowSize.width(), PageHeight)
                                .copy(50, 100, area.width(), area.height() + Steps * Step);
    ASSERT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected);
}

} // namespace
