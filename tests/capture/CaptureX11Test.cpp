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

// A 1280×800 root painted with a known pattern: one display at scale 1
// (CaptureX11Test.*), or split into monitors L (0,0) and R (640,0), each
// 640×800 device pixels, at the scale QT_SCALE_FACTOR gives (Monitors.*).
namespace {

using X11TestSupport::patternMismatches;

class CaptureX11Test : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(X11TestSupport::paintRootPattern({1280, 800})); }

    static quint32 idOf(const QString &name)
    {
        for (QScreen *screen : QGuiApplication::screens()) {
            if (screen->name() == name || name.isEmpty())
                return displayIDOfScreen(screen).value_or(0);
        }
        ADD_FAILURE() << "no screen " << name.toStdString();
        return 0;
    }

    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    CaptureService service{nullptr, displays, grabber, windows};
};
using Monitors = CaptureX11Test;

TEST_F(CaptureX11Test, RegionsAndTheDisplayGiveTheExactPixels)
{
    ASSERT_EQ(displays.mainDisplayID(), idOf({}));
    EXPECT_EQ(screenForDisplayID(idOf({})), QGuiApplication::primaryScreen());
    const struct
    {
        QRectF rect;
        QRect native;
    } cases[] = {
        {{100, 50, 120, 80}, {100, 50, 120, 80}},
        {{100.5, 50.7, 120.9, 80.2}, {100, 50, 120, 80}},
        {{0, 0, 1280, 800}, {0, 0, 1280, 800}},
        {{1000, 300, 3, 2}, {1000, 300, 3, 2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.native.x());
        const CaptureResult result = service.captureRegion(c.rect, idOf({})).result();
        EXPECT_EQ(patternMismatches(result.image, c.native), 0);
        EXPECT_EQ(result.displayID, idOf({}));
    }
    const CaptureResult result = service.captureFullscreen(idOf({})).result();
    EXPECT_EQ(patternMismatches(result.image, {0, 0, 1280, 800}), 0);
    EXPECT_EQ(result.mode, CaptureMode::fullscreen);
}

TEST_F(CaptureX11Test, RegionPastTheEdgeKeepsItsSizeTransparentOutside)
{
    const QImage image = service.captureRegion({1200, 760, 150, 100}, idOf({})).result().image;
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

TEST_F(CaptureX11Test, UnknownDisplayIsReportedWithItsMessage)
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

TEST_F(Monitors, EachMonitorHasItsOwnIdentifierAndGivesItsOwnPixels)
{
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    const quint32 left = idOf(QStringLiteral("L")), right = idOf(QStringLiteral("R"));
    EXPECT_TRUE(left && right && left != right);
    EXPECT_EQ(displays.mainDisplayID(), left);
    EXPECT_EQ(patternMismatches(service.captureFullscreen(left).result().image, {0, 0, 640, 800}), 0);
    EXPECT_EQ(patternMismatches(service.captureFullscreen(right).result().image, {640, 0, 640, 800}), 0);

    // Qt keeps each screen's top-left corner at its device-pixel position
    // and divides only the size, so R starts at x 640 in points at any scale.
    const qreal scale = QGuiApplication::screens().last()->devicePixelRatio();
    ASSERT_EQ(scale, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    const QRectF rect = scale == 1.0 ? QRectF(700, 100, 50, 40) : QRectF(650.5, 50.25, 25, 20);
    const QRect native = scale == 1.0 ? QRect(700, 100, 50, 40) : QRect(661, 100, 50, 40);
    const CaptureResult result = service.captureRegion(rect, right).result();
    EXPECT_EQ(patternMismatches(result.image, native), 0);
    EXPECT_EQ(result.displayID, right);
}

} // namespace
