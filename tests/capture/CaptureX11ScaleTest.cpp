#include "capture/CaptureService.h"
#include "capture/DisplayLookup.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11WindowList.h"
#include "support/TestSupport.h"
#include "support/TestWindowContent.h"
#include "support/X11TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A fractional QT_SCALE_FACTOR on a screen whose size in points is not a
// whole number, its root tiled with a one-pixel checkerboard: any
// resampling turns it grey.
namespace {

QRgb checker(int x, int y)
{
    return (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
}

qint64 checkerMismatches(const QImage &image, QPoint nativeOrigin)
{
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != checker(nativeOrigin.x() + x, nativeOrigin.y() + y);
    }
    return count;
}

class CaptureX11ScaleTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QTemporaryDir dir;
        QFile bitmap(dir.filePath(QStringLiteral("checker.xbm")));
        ASSERT_TRUE(bitmap.open(QIODevice::WriteOnly));
        bitmap.write(
            "#define c_width 2\n#define c_height 2\nstatic unsigned char c_bits[] = {\n 0x02, 0x01 };\n");
        bitmap.close();
        TestSupport::runProgram(QStringLiteral("xsetroot"),
            {QStringLiteral("-bitmap"), bitmap.fileName(), QStringLiteral("-fg"), QStringLiteral("black"),
                QStringLiteral("-bg"), QStringLiteral("white")});
        X11ScreenGrabber grabber;
        ASSERT_TRUE(TestSupport::waitUntil([&] {
            return checkerMismatches(grabber.grabArea({0, 0, 4, 4}), {0, 0}) == 0;
        }));
    }

    quint32 primaryID() const { return displayIDOfScreen(QGuiApplication::primaryScreen()).value_or(0); }

    X11DisplayServer displays;
    X11ScreenGrabber grabber;
    X11WindowList windows;
    CaptureService service{displays, grabber, windows};
};

TEST_F(CaptureX11ScaleTest, WholeDisplayAndRegionsKeepEveryPixel)
{
    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    ASSERT_EQ(scale, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    const QImage whole = service.captureFullscreen(primaryID()).result().image;
    EXPECT_EQ(whole.size(), grabber.displays().value(0).geometry.size());
    EXPECT_EQ(checkerMismatches(whole, {0, 0}), 0);

    // Origin floor(point × scale), size truncated: 100.3 × 1.75 = 175.525.
    const QImage region = service.captureRegion({33.3, 21.1, 100.3, 50.9}, primaryID()).result().image;
    EXPECT_EQ(region.size(), QSize(int(100.3 * scale), int(50.9 * scale)));
    EXPECT_EQ(checkerMismatches(region, {int(33.3 * scale), int(21.1 * scale)}), 0);
}

TEST_F(CaptureX11ScaleTest, WindowKeepsItsPixelSize)
{
    // The helper draws at its own pixels: its pattern is known at any scale here.
    qputenv("QT_SCALE_FACTOR", "1");
    X11TestSupport::HelperWindow target(QStringLiteral("230x151+40+30"));
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const auto list = windows.frontToBack();
        return list && !list->isEmpty() && list->front().number == target.id;
    }));
    const QImage image = service.captureWindow().result().image;
    ASSERT_EQ(image.size(), QSize(230, 151));
EXPECT_TRUE(image.convertToFormat(QImage::Format_RGB32) == TestWindowContent::pattern({230, 151}));
}

} // namespace
