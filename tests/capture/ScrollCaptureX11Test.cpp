#include "capture/ScrollCaptureControlView.h"
#include "capture/ScrollCaptureFrame.h"
#include "capture/ScrollCaptureService.h"
#include "output/CaptureOutputPipeline.h"
#include "platform/x11/X11ScrollWheel.h"

#include "fakes/FakeCaptureOutputs.h"
#include "fakes/Fixtures.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QDir>
#include <QPainter>
#include <QPushButton>
#include <QWindow>

#include <gtest/gtest.h>

// Under openbox, a page in a window of another process is scrolled with
// the mouse wheel while the service records it, driven by xdotool as a
// user would: select with the overlay, Start, scroll, Done. The service
// reads the real wheel through XInput 2.
namespace {

using TestSupport::waitUntil;
using X11TestSupport::xdotool;

constexpr int PageHeight = 2400;
const QSize WindowSize(400, 600);

QStringList at(QPoint point)
{
    return {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())};
}

QStringList wheelDown(int notches)
{
    return {QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(notches), QStringLiteral("--delay"),
        QStringLiteral("1"), QStringLiteral("5")};
}

// The lengths of the runs of blank rows, top to bottom, and the rows between
// them: equal content with blank stretches of other lengths differs only in
// the first.
std::pair<QList<int>, QList<QByteArray>> blankRunsAndContent(const QImage &image)
{
    std::pair<QList<int>, QList<QByteArray>> out;
    for (int y = 0, run = 0; y < image.height(); ++y) {
        const QByteArray row(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4);
        const bool blank = row.count(row.left(4)) == image.width();
        if (!blank) {
            out.second.append(row);
            run = 0;
        } else if (run++ == 0) {
            out.first.append(1);
        } else {
            ++out.first.back();
        }
    }
    return out;
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
        const QColor colour = scroll.rectangleFrame()->palette().highlight().color();
        for (const QRect &side : ScrollCaptureFrame::outline(area)) {
            EXPECT_TRUE(X11TestSupport::waitUntilScreenShows(side, [&](const QImage &shown) {
                return shown == uniform(side.width(), side.height(), colour);
            })) << "no frame around the rectangle";
        }
    }
    // The global places of the panel's buttons.
    QList<QRect> buttonPlaces() const
    {
        QList<QRect> places;
        for (QPushButton *b : {panelView()->startButton(), panelView()->doneButton(), panelView()->cancelButton()})
            places.append(QRect(b->mapToGlobal(QPoint(0, 0)), b->size()));
        return places;
    }
    void click(QPushButton *button)
    {
        ASSERT_TRUE(waitUntil([&] { return button->window()->windowHandle()->isExposed(); }));
        ASSERT_TRUE(xdotool(at(X11TestSupport::onScreen(button, button->rect().center())) + QStringList{"click", "1"}));
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
        const QList<QRect> armed = buttonPlaces();
        click(panelView()->startButton());
        ASSERT_TRUE(waitUntil([&] { return scroll.isCapturing() && scroll.frameCount() >= 2; }));
        EXPECT_TRUE(helper->hasFocus()) << "pressing Start took the focus from the page";
        panelView()->updateFrameCountLabel();
        EXPECT_EQ(buttonPlaces(), armed) << "the buttons moved when recording started";
        int notches = 0;
        for (int burst : bursts) {
            const int before = scroll.frameCount();
            ASSERT_TRUE(xdotool(at(onScreen.center()) + wheelDown(burst)));
            notches += burst;
            ASSERT_TRUE(waitUntil([&] { return scroll.frameCount() >= before + 2; })) << "after " << notches;
        }
        const QImage saved = finish();
        const QImage expected = TestWindowContent::scrollPage(WindowSize.width(), PageHeight)
                                    .copy(area.x(), area.y(), area.width(), area.height() + notches * step);
        ASSERT_EQ(saved.size(), expected.size());
        EXPECT_TRUE(saved == expected);
    }

    QImage finish(bool clickDone = true)
    {
        if (clickDone)
            click(panelView()->doneButton());
        else
            panelView()->doneTapped();
        if (!waitUntil([&] { return savedFiles().size() == 1; })) {
            ADD_FAILURE() << "nothing saved; still recording: " << scroll.isCapturing();
            return {};
        }
        EXPECT_EQ(scroll.rectangleFrame(), nullptr) << "the frame outlived the panel";
        EXPECT_TRUE(outputs.alerts.isEmpty()) << outputs.alerts.join(' ').toStdString();
        return QImage(QDir(settings.savePath()).filePath(savedFiles().first())).convertToFormat(QImage::Format_RGB32);
    }
    // Shows `layout` in a page that each notch moves by `step`, records
    // `area` (relative to the window) and turns the wheel by each entry of
    // `notches` before each frame after the first; every frame is taken
    // once the page has been repainted, so the frames are evenly spaced.
    // Start and Done are pressed directly: the real clicks are tested above.
    QImage recordFrameByFrame(int step, QRect area, const TestWindowContent::PageLayout &layout,
        const QList<int> &notches)
    {
        helper.emplace(QStringLiteral("400x600+200+100"), step, PageHeight, layout);
        const auto failed = [](const char *what) {
            ADD_FAILURE() << what;
            return QImage();
        };
        if (!helper->shown || !helper->waitForFocus())
            return failed("the page was not shown or never took the focus");
        const QRect onScreen = area.translated(helper->origin);
        selectWithTheOverlay(onScreen);
        panelView()->startTapped();
        scroll.captureTimer()->stop(); // the test takes each frame itself
        int offset = 0;
        for (qsizetype i = 0; i <= notches.size(); ++i) {
            if (i > 0) {
                offset += notches[i - 1] * step;
                if (!xdotool(at(onScreen.center()) + wheelDown(notches[i - 1])))
                    return failed("xdotool failed");
                if (!helper->waitForOffset(offset))
                    return failed("the page did not scroll");
            }
            scroll.captureFrame();
            if (!waitUntil([&] { return scroll.frameCount() == i + 1; }))
                return failed("no frame");
        }
        return finish(false);
    }

    FakeCaptureOutputs outputs;
    CaptureOutputPipeline pipeline{files, settings, outputs};
    X11ScrollWheel wheel;
    ScrollCaptureService scroll{ScrollCaptureService::regionsOf(capture), pipeline, compositing, &wheel};
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

// Two frames that share only blank rows, or are blank alike, cannot say how
// far the page moved; the wheel can, at the pixels per notch the page's
// content showed elsewhere in the same capture.
TEST_F(ScrollCaptureX11Test, BlankStretchesTallerThanTheRectangleKeepTheirLengthWhenScrolledEvenly)
{
    const QRect area(50, 100, 300, 200);
    const int step = 20;
    // Blank stretches of 1.5 and 2.5 times the rectangle's height.
    const TestWindowContent::PageLayout layout{{{500, 800}, {1100, 1600}}, 0};
    const QList<int> notches(26, 3); // 60 rows a frame, 1560 in all
    const QImage saved = recordFrameByFrame(step, area, layout, notches);
    ASSERT_FALSE(saved.isNull());
    const QImage expected = TestWindowContent::scrollPage(400, PageHeight, layout)
                                .copy(area.x(), area.y(), area.width(), area.height() + 26 * 3 * step);
    const auto [runs, content] = blankRunsAndContent(saved);
    const auto [expectedRuns, expectedContent] = blankRunsAndContent(expected);
    EXPECT_TRUE(content == expectedContent) << "content rows lost or repeated";
    ASSERT_EQ(runs.size(), expectedRuns.size());
    for (qsizetype i = 0; i < runs.size(); ++i)
        EXPECT_NEAR(runs[i], expectedRuns[i], step) << "blank stretch " << i;
}

// A flick moves the page further than the rectangle between two frames: the
// wheel says so, and no row of the page, nor the bar fixed above it, may
// come out twice, whatever the wheel's ratio.
TEST_F(ScrollCaptureX11Test, AFlickPastTheRectangleWithAFixedBarRepeatsNoRow)
{
    const int step = 20, bar = 40;
    const QRect area(50, 0, 300, 300);
    const QImage saved = recordFrameByFrame(step, area, {{}, bar}, {3, 3, 3, 3, 20, 3, 3, 2, 4});
    // The bar, the page under it up to the flick (offset 240), then from the
    // frame after it (offset 640) to the last (offset 880).
    const QImage page = TestWindowContent::scrollPage(400, PageHeight).copy(area.x(), 0, area.width(), PageHeight);
    QImage expected(area.width(), bar + 500 + 500, QImage::Format_RGB32);
    QPainter painter(&expected);
    painter.drawImage(0, 0, TestWindowContent::bar(400, bar), area.x(), 0, area.width(), bar);
    painter.drawImage(0, bar, page, 0, bar, area.width(), 500);
    painter.drawImage(0, bar + 500, page, 0, 640 + bar, area.width(), 500);
    painter.end();
    EXPECT_TRUE(saved == expected);
}

} // namespace
