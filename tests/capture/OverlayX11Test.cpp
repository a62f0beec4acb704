#include "capture/CaptureService.h"
#include "capture/DisplayLookup.h"
#include "capture/OverlayService.h"
#include "capture/SelectionOverlayView.h"
#include "platform/x11/X11CompositingManager.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

// Under openbox, on a 1280×800 screen split into monitors L (0,0) and R
// (640,0), each 640×800, with or without a compositing manager, driven by
// xdotool as a user would.
namespace {

using TestSupport::waitUntil;

void xdotool(const QStringList &arguments)
{
    int exitCode = 0;
    TestSupport::runProgram(QStringLiteral("xdotool"), arguments, &exitCode);
    ASSERT_EQ(exitCode, 0) << arguments.join(' ').toStdString();
}

void xdotoolDrag(QPoint from, QPoint to)
{
    const QPoint middle = (from + to) / 2;
    xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1", "mousemove",
        QString::number(middle.x()), QString::number(middle.y()), "mousemove", QString::number(to.x()),
        QString::number(to.y()), "mouseup", "1"});
}

class OverlayX11Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        overlays.onSelectionComplete = [this](QRectF rect, quint32 id) {
            selected = rect;
            selectedDisplay = id;
        };
        overlays.onSelectionCancelled = [this] { ++cancels; };
    }

    void TearDown() override
    {
        if (helper) {
            helper->kill();
            helper->waitForFinished();
        }
    }

    // A window of another process that takes the focus, painted with a pattern.
    quint32 startHelperWindow(const QString &geometry)
    {
        helper = std::make_unique<QProcess>();
        helper->start(QStringLiteral(CAPTURE_TEST_WINDOW), {geometry});
        EXPECT_TRUE(waitUntil([&] { return helper->canReadLine(); }));
        const quint32 id = helper->readLine().trimmed().toUInt(nullptr, 16);
        EXPECT_TRUE(waitUntil([&] {
            return TestSupport::runProgram(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")})
                       .trimmed()
                       .toUInt()
                == id;
        })) << "the helper window never took the focus";
        return id;
    }

    void showAndWaitForOverlays()
    {
        overlays.showOverlays();
        ASSERT_EQ(overlays.overlayViews().size(), 2u);
        ASSERT_TRUE(waitUntil([&] {
            for (const auto &[id, view] : overlays.overlayViews()) {
                if (!view->windowHandle() || !view->windowHandle()->isExposed()
                    || view->grabRetryTimer().isActive())
                    return false;
            }
            return true;
        }));
    }

    quint32 idOf(const char *name) const
    {
        for (const QScreen *screen : QGuiApplication::screens()) {
            if (screen->name() == QLatin1String(name))
                return displayIDOfScreen(screen).value_or(0);
        }
        return 0;
    }

    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    X11CompositingManager compositing;
    ScreenFreeze freeze;
    CaptureService capture{nullptr, displays, grabber, windows};
    OverlayService overlays{grabber, compositing, freeze};
    std::unique_ptr<QProcess> helper;
    std::optional<QRectF> selected;
    quint32 selectedDisplay = 0;
    int cancels = 0;
};

TEST_F(OverlayX11Test, DragOnTheRightMonitorReportsGlobalPointsAndItsDisplay)
{
    showAndWaitForOverlays();
    xdotoolDrag({700, 100}, {800, 180});
    ASSERT_TRUE(waitUntil([&] { return selected.has_value(); }));
    EXPECT_EQ(*selected, QRectF(700, 100, 100, 80));
    EXPECT_EQ(selectedDisplay, idOf("R"));
    EXPECT_NE(selectedDisplay, idOf("L"));
    EXPECT_TRUE(overlays.overlayViews().empty());
}

TEST_F(OverlayX11Test, EscapeCancelsWhileAnotherApplicationHasTheFocus)
{
    startHelperWindow(QStringLiteral("300x200+100+100"));
    showAndWaitForOverlays();
    bool grabbed = false;
    for (const auto &[id, view] : overlays.overlayViews())
        grabbed = grabbed || view->hasInputGrab();
    EXPECT_TRUE(grabbed);

    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitUntil([&] { return cancels == 1; }));
    EXPECT_FALSE(selected);
    EXPECT_TRUE(overlays.overlayViews().empty());
}

TEST_F(OverlayX11Test, TheRegionCapturedIsWhatWasOnScreenBeforeTheOverlay)
{
    capture.setScreenFreeze(&freeze);
    startHelperWindow(QStringLiteral("400x300+600+150"));
    const QRect area(620, 200, 200, 150); // across both monitors
    const QImage before = grabber.grabArea(area);
    QFuture<CaptureResult> captured;
    bool called = false;
    overlays.onSelectionComplete = [&](QRectF rect, quint32 id) {
        captured = capture.captureRegion(rect, id);
        called = true;
    };

    showAndWaitForOverlays();
    // The dimming is on the screen now, composited or not.
    ASSERT_TRUE(waitUntil([&] { return grabber.grabArea(area) != before; }));
    xdotoolDrag(area.topLeft(), area.topLeft() + QPoint(area.width(), area.height()));
    ASSERT_TRUE(waitUntil([&] { return called && captured.isFinished(); }));

    // The drag began on L, so the capture holds L's part and nothing of R.
    const QImage image = captured.result().image.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), area.size());
    const QRect onL(0, 0, 640 - area.left(), area.height());
    EXPECT_TRUE(image.copy(onL) == before.convertToFormat(QImage::Format_RGB32).copy(onL));
}

} // namespace
