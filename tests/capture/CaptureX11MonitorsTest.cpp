#include "capture/CaptureService.h"
#include "capture/DisplayLookup.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"
#include "support/X11TestSupport.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

// A 1280×800 screen split into monitors L (0,0) and R (640,0), each 640×800
// device pixels, at the scale QT_SCALE_FACTOR gives (1 or 2).
namespace {

using X11TestSupport::patternMismatches;

class CaptureX11MonitorsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(X11TestSupport::paintRootPattern({1280, 800})); }

    static QScreen *screenNamed(const QString &name)
    {
        for (QScreen *screen : QGuiApplication::screens()) {
            if (screen->name() == name)
                return screen;
        }
        return nullptr;
    }

    quint32 idOf(const char *name) const
    {
        const QScreen *screen = screenNamed(QLatin1String(name));
        EXPECT_TRUE(screen) << "no screen " << name;
        return displayIDOfScreen(screen).value_or(0);
    }

    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    CaptureService service{nullptr, displays, grabber, windows};
};

TEST_F(CaptureX11MonitorsTest, EachMonitorHasItsOwnIdentifier)
{
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    EXPECT_NE(idOf("L"), 0u);
    EXPECT_NE(idOf("R"), 0u);
    EXPECT_NE(idOf("L"), idOf("R"));
    EXPECT_EQ(displays.mainDisplayID(), idOf("L"));
}

TEST_F(CaptureX11MonitorsTest, RegionOnTheSecondMonitorGivesItsPixels)
{
    // Qt keeps each screen's top-left corner at its device-pixel position
    // and divides only the size, so R starts at x 640 in points at any scale.
    const qreal scale = screenNamed(QStringLiteral("R"))->devicePixelRatio();
    ASSERT_EQ(scale, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    const QRectF rect = scale == 1.0 ? QRectF(700, 100, 50, 40) : QRectF(650.5, 50.25, 25, 20);
    const QRect native = scale == 1.0 ? QRect(700, 100, 50, 40) : QRect(661, 100, 50, 40);
    const CaptureResult result = service.captureRegion(rect, idOf("R")).result();
    EXPECT_EQ(patternMismatches(result.image, native), 0);
    EXPECT_EQ(result.displayID, idOf("R"));
}

TEST_F(CaptureX11MonitorsTest, FullscreenOfEachMonitorIsItsDevicePixels)
{
    EXPECT_EQ(patternMismatches(service.captureFullscreen(idOf("L")).result().image, {0, 0, 640, 800}), 0);
    EXPECT_EQ(patternMismatches(service.captureFullscreen(idOf("R")).result().image, {640, 0, 640, 800}), 0);
}

} // namespace
