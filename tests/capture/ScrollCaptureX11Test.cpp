#include "capture/ScrollCaptureControlView.h"
#include "capture/ScrollCaptureService.h"
#include "output/CaptureOutputPipeline.h"

#include "fakes/FakeCaptureOutputs.h"
#include "fakes/Fixtures.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QDir>
#include <QPushButton>
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

class ScrollCaptureX11Test : public ::testing::Test,
                             public X11TestSupport::X11Capture,
                             public TemporarySettings
{
protected:
    void SetUp() override
    {
        overlays.onSelectionComplete
            = [this](QRectF rect, quint32 id, const FrozenScreens &) { scroll.startScrollCapture(rect, id); };
    }
    void selectWithTheOverlay(const QRect &area)
    {
        ASSERT_TRUE(X11TestSupport::showOverlays(overlays));
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
    // Shows a page that each notch of the wheel moves by `step`, selects
    // `area` (relative to the page's window), presses Start, turns the wheel
    // down by each burst of notches in turn, letting two frames pass after
    // each, presses Done and checks the saved image against the page over the
    // span scrolled, pixel for pixel.
    void recordAndCheck(int step, QRect area, const QList<int> &bursts)
    {
        helper.emplace(QStringLiteral("400x600+200+100"), step, PageHeight);
        ASSERT_TRUE(helper->shown);
        ASSERT_TRUE(helper->waitForFocus()) << "the page never took the focus";
        const QRect onScreen = area.translated(helper->origin);
        selectWithTheOverlay(onScreen);
        click(panelView()->startButton());
        ASSERT_TRUE(waitUntil([&] { return scroll.isCapturing() && scroll.frameCount() >= 2; }));
        EXPECT_TRUE(helper->hasFocus()) << "pressing Start took the focus from the page";
        int notches = 0;
        for (int burst : bursts) {
            const int before = scroll.frameCount();
            ASSERT_TRUE(xdotool(at(onScreen.center())
                + QStringList{"click", "--repeat", QString::number(burst), "--delay", "1", "5"}));
            notches += burst;
            ASSERT_TRUE(waitUntil([&] { return scroll.frameCount() >= before + 2; })) << "after " << notches;
        }
        click(panelView()->doneButton());
        ASSERT_TRUE(waitUntil([&] { return savedFiles().size() == 1; }));
        EXPECT_TRUE(outputs.alerts.isEmpty()) << outputs.alerts.join(' ').toStdString();
        const QImage saved = QImage(QDir(settings.savePath()).filePath(savedFiles().first()))
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage expected = TestWindowContent::scrollPage(WindowSize.width(), PageHeight)
                                    .copy(area.x(), area.y(), area.width(), area.height() + notches * step);
        ASSERT_EQ(saved.size(), expected.size());
        EXPECT_TRUE(saved == expected);
    }

    FakeCaptureOutputs outputs;
    CaptureOutputPipeline pipeline{files, settings, outputs};
    ScrollCaptureService scroll{ScrollCaptureService::regionsOf(capture), pipeline, compositing};
    std::optional<X11TestSupport::HelperWindow> helper;
};

TEST_F(ScrollCaptureX11Test, ScrollingAPageGivesThePageOverTheScrolledSpan)
{
    // One notch at a time, each about two thirds of the selection; then
    // bursts of 40, 130, 260 and 90 rows, sent as fast as xdotool can, so
    // that grabs land anywhere within them.
    const std::tuple<int, QRect, QList<int>> cases[] = {
        {130, {50, 100, 300, 200}, {1, 1, 1, 1, 1, 1}},
        {10, {50, 100, 300, 320}, {4, 13, 26, 9, 4, 13, 26, 9}},
    };
    for (const auto &[step, area, bursts] : cases) {
        SCOPED_TRACE(step);
        QDir(settings.savePath()).removeRecursively();
        recordAndCheck(step, area, bursts);
    }
}

} // namespace
