#include "capture/DisplayLookup.h"
#include "capture/SelectionOverlayView.h"
#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>

#include <gtest/gtest.h>

// Under openbox, on a 1280×800 screen split into monitors L (0,0) and R
// (640,0), each 640×800, with or without a compositing manager, driven by
// xdotool as a user would. A window of another process has the focus.
namespace {

using TestSupport::waitUntil;
using X11TestSupport::xdotool;

class OverlayX11Test : public ::testing::Test, public X11TestSupport::X11Capture
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        ASSERT_TRUE(helper.shown);
        ASSERT_TRUE(helper.waitForFocus()) << "the other application never took the focus";
    }

    X11TestSupport::HelperWindow helper{QStringLiteral("400x300+600+150")};
};

// Escape reaches the overlay first, pressed the moment it shows; then a drag
// on the right monitor captures what was there before the overlay.
TEST_F(OverlayX11Test, EscapeCancelsAndADragCapturesWhatWasThereBeforeTheOverlay)
{
    const QRect area(700, 200, 200, 150);
    const QImage before = X11TestSupport::grabScreen(area);
    int cancels = 0;
    overlays.onSelectionCancelled = [&] { ++cancels; };
    overlays.showOverlays();
    const auto &views = overlays.overlayViews();
    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(
            views.begin(), views.end(), [](auto &v) { return v.second->windowHandle()->isExposed(); });
    }));
    EXPECT_EQ(views.size(), 2u) << "one per monitor";
    EXPECT_TRUE(std::any_of(views.begin(), views.end(), [](auto &v) { return v.second->hasInputGrab(); }))
        << "an overlay on the screen without the keyboard";
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    ASSERT_TRUE(waitUntil([&] { return cancels == 1; }));
    EXPECT_TRUE(overlays.overlayViews().empty());
    std::optional<quint32> display;
    QFuture<CaptureResult> captured;
    overlays.onSelectionComplete = [&](QRectF rect, quint32 id, const FrozenScreens &seen) {
        EXPECT_EQ(rect, QRectF(area));
        display = id;
        captured = capture.captureRegion(rect, id, seen);
    };
    ASSERT_TRUE(X11TestSupport::showOverlays(overlays));
    // The dimming is on the screen now, composited or not.
    ASSERT_TRUE(X11TestSupport::waitUntilScreenShows(area, [&](const QImage &s) { return s != before; }));
    ASSERT_TRUE(xdotool({"mousemove", "700", "200", "mousedown", "1", "mousemove", "800", "300", "mousemove",
        "900", "350", "mouseup", "1"}));
    ASSERT_TRUE(waitUntil([&] { return display && captured.isFinished(); }));
    EXPECT_EQ(display, displayIDOfScreen(QGuiApplication::screenAt(area.topLeft())));
    EXPECT_TRUE(overlays.overlayViews().empty());
    EXPECT_TRUE(captured.result().image.convertToFormat(QImage::Format_RGB32) == before);
}

} // namespace
