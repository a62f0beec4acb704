#include "capture/CaptureError.h"
#include "capture/CaptureService.h"
#include "capture/DisplayLookup.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"
#include "support/X11TestSupport.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

// One 1280×800 display at scale 1, its root painted with a known pattern.
namespace {

using X11TestSupport::patternMismatches;

class CaptureX11RegionTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(X11TestSupport::paintRootPattern({1280, 800})); }

    quint32 primaryID() const { return displayIDOfScreen(QGuiApplication::primaryScreen()).value_or(0); }

    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    CaptureService service{nullptr, displays, grabber, windows};
};

TEST_F(CaptureX11RegionTest, PrimaryDisplayHasTheMonitorsIdentifier)
{
    ASSERT_TRUE(displays.mainDisplayID());
    EXPECT_EQ(primaryID(), *displays.mainDisplayID());
    EXPECT_EQ(screenForDisplayID(primaryID()), QGuiApplication::primaryScreen());
}

TEST_F(CaptureX11RegionTest, RegionGivesTheExactPixels)
{
    struct Case
    {
        QRectF rect;
        QRect native;
    };
    const Case cases[] = {
        {{100, 50, 120, 80}, {100, 50, 120, 80}},
        {{100.5, 50.7, 120.9, 80.2}, {100, 50, 120, 80}},
        {{0, 0, 1280, 800}, {0, 0, 1280, 800}},
        {{1000, 300, 3, 2}, {1000, 300, 3, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.native.x());
        const CaptureResult result = service.captureRegion(c.rect, primaryID()).result();
        EXPECT_EQ(patternMismatches(result.image, c.native), 0);
        EXPECT_EQ(result.displayID, primaryID());
    }
}

TEST_F(CaptureX11RegionTest, RegionPastTheEdgeKeepsItsSizeTransparentOutside)
{
    const QImage image = service.captureRegion({1200, 760, 150, 100}, primaryID()).result().image;
    ASSERT_EQ(image.size(), QSize(150, 100));
    EXPECT_EQ(patternMismatches(
                  image.copy(0, 0, 80, 40).convertToFormat(QImage::Format_RGB32), {1200, 760, 80, 40}),
        0);
    qint64 opaqueOutside = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 150; ++x)
            opaqueOutside += (x >= 80 || y >= 40) && qAlpha(image.pixel(x, y)) != 0;
    }
    EXPECT_EQ(opaqueOutside, 0);
}

TEST_F(CaptureX11RegionTest, FullscreenIsTheWholeDisplay)
{
    const CaptureResult result = service.captureFullscreen(primaryID()).result();
    EXPECT_EQ(patternMismatches(result.image, {0, 0, 1280, 800}), 0);
    EXPECT_EQ(result.mode, CaptureMode::fullscreen);
}

TEST_F(CaptureX11RegionTest, UnknownDisplayIsReportedWithItsMessage)
{
    for (auto future : {service.captureFullscreen(0xdead), service.captureRegion({0, 0, 20, 20}, 0xdead)}) {
        try {
            future.result();
            ADD_FAILURE() << "captured an unknown display";
        } catch (const CaptureFailure &failure) {
            EXPECT_EQ(failure.message(), "Could not find the target display.");
        }
    }
}

} // namespace
