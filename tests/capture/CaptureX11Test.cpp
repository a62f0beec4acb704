#include "capture/DisplayLookup.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSet>

#include <gtest/gtest.h>

// The root painted with a pattern that says where each pixel is, so that any
// shift or resampling shows. Run on one 1280×800 display at scale 1
// (CaptureX11Test.*), split into monitors L (0,0) and R (640,0) of 640×800
// pixels at QT_SCALE_FACTOR 1 and 2, and at fractional scales on a 1283×803
// display whose size in points is not whole (Scale.*); Screens.* in all.
namespace {

using X11TestSupport::patternMismatches;

class CaptureX11Test : public ::testing::Test, public X11TestSupport::X11Capture
{
protected:
    static void SetUpTestSuite()
    {
        QRect root;
        for (const ShareableDisplay &display : X11ScreenGrabber().displays())
            root |= display.geometry;
        ASSERT_TRUE(X11TestSupport::paintRootPattern(root.size()));
    }
    QRect nativeGeometry(quint32 id)
    {
        for (const ShareableDisplay &display : grabber.displays()) {
            if (display.displayID == id)
                return display.geometry;
        }
        return {};
    }
};
using Screens = CaptureX11Test;
using Scale = CaptureX11Test;

// Qt keeps each screen's top-left corner at its device-pixel position and
// divides only the size; a region's origin is floor(local point × scale)
// and its size is truncated.
TEST_F(Screens, EachScreenHasItsOwnIdentifierAndGivesItsOwnPixels)
{
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
    ASSERT_EQ(
        QGuiApplication::screens().size(), qEnvironmentVariable("SCREENS", QStringLiteral("1")).toInt());
    EXPECT_EQ(displays.mainDisplayID(), displayIDOfScreen(QGuiApplication::primaryScreen()).value_or(0));
    QSet<quint32> ids;
    for (QScreen *screen : QGuiApplication::screens()) {
        SCOPED_TRACE(screen->name().toStdString());
        ASSERT_EQ(screen->devicePixelRatio(), scale);
        const quint32 id = displayIDOfScreen(screen).value_or(0);
        ids.insert(id);
        EXPECT_EQ(screenForDisplayID(id), screen);
        const QRect native = nativeGeometry(id);
        EXPECT_EQ(patternMismatches(capture.captureFullscreen(id).result().image, native), 0);
        grabber.releaseIdlePages(); // as after a quiet spell: the next grab refills the segment
        EXPECT_EQ(patternMismatches(capture.captureFullscreen(id).result().image, native), 0);
        grabber.releaseIdlePages();
        capture.prepare(); // a key press: the grab may meet the segment while it is faulted in
        EXPECT_EQ(patternMismatches(capture.captureFullscreen(id).result().image, native), 0);
        for (const QRectF &local : {QRectF(33.3, 21.1, 100.3, 50.9), QRectF(200, 300, 3, 2)}) {
            const CaptureResult part
                = capture.captureRegion(local.translated(screen->geometry().topLeft()), id).result();
            EXPECT_EQ(patternMismatches(part.image,
                          {native.x() + int(local.x() * scale), native.y() + int(local.y() * scale),
                              int(local.width() * scale), int(local.height() * scale)}),
                0);
            EXPECT_EQ(part.displayID, id);
        }
    }
    EXPECT_FALSE(ids.contains(0));
    EXPECT_EQ(ids.size(), QGuiApplication::screens().size());
}

TEST_F(CaptureX11Test, RegionPastTheEdgeKeepsItsSizeTransparentOutside)
{
    const QImage image
        = capture.captureRegion({1200, 760, 150, 100}, grabber.displays().value(0).displayID).result().image;
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

TEST_F(Scale, AWindowKeepsItsPixelSize)
{
    // The helper draws at its own pixels: its pattern is known at any scale here.
    qputenv("QT_SCALE_FACTOR", "1");
    X11TestSupport::HelperWindow target(QStringLiteral("230x151+40+30"));
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const auto list = windows.frontToBack();
        return list && !list->isEmpty() && list->front().number == target.id;
    }));
    const QImage image = capture.captureWindow().result().image;
    EXPECT_TRUE(image.convertToFormat(QImage::Format_RGB32) == TestWindowContent::pattern({230, 151}));
}

} // namespace
