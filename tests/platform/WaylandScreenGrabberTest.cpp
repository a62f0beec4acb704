#include "platform/Error.h"
#include "platform/wayland/WaylandOutputs.h"
#include "platform/wayland/WaylandScreenGrabber.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A picture of the whole layout whose every pixel says where it is.
QImage layoutPicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    }
    return picture;
}

WaylandOutput output(const char *name, QRect logical, qreal scale = 1)
{
    return {WaylandOutputs::identifierForName(QLatin1String(name)), QLatin1String(name), logical, scale};
}

} // namespace

// The portal hands out one picture of the whole layout; each area asked for
// must come out of the right output's part at that output's own pixels.
TEST(WaylandScreenGrabberTest, CutsEachAreaFromItsOutputsPartOfThePicture)
{
    const QList<WaylandOutput> sideBySide{output("Meta-0", {0, 0, 1280, 800}), output("Meta-1", {1280, 0, 640, 480})};
    const QImage picture = layoutPicture({1920, 800});
    struct Case
    {
        const char *what;
        QRect area;
        QPoint expectedCorner; // in the picture
    } cases[] = {
        {"the first output whole", {0, 0, 1280, 800}, {0, 0}},
        {"inside the first", {100, 50, 30, 20}, {100, 50}},
        {"the second output whole", {1280, 0, 640, 480}, {1280, 0}},
        {"inside the second", {1300, 470, 10, 10}, {1300, 470}},
    };
    for (const Case &c : cases) {
        const QImage image = WaylandScreenGrabber::cut(picture, sideBySide, c.area);
        EXPECT_EQ(image, picture.copy(QRect(c.expectedCorner, c.area.size()))) << c.what;
    }
}

TEST(WaylandScreenGrabberTest, ScaledOutputIsCutAtItsOwnPixelsNeverResampled)
{
    // A layout of 640x400 points at scale 2: the picture has 1280x800 pixels.
    const QList<WaylandOutput> hiDpi{output("Meta-0", {0, 0, 640, 400}, 2)};
    const QImage picture = layoutPicture({1280, 800});
    EXPECT_EQ(WaylandScreenGrabber::cut(picture, hiDpi, {0, 0, 1280, 800}), picture);
    EXPECT_EQ(WaylandScreenGrabber::cut(picture, hiDpi, {10, 20, 300, 200}), picture.copy(10, 20, 300, 200));
}

TEST(WaylandScreenGrabberTest, AreasNoOutputHoldsOrThePictureLacksAreRefused)
{
    const QList<WaylandOutput> sideBySide{output("Meta-0", {0, 0, 1280, 800}), output("Meta-1", {1280, 0, 640, 480})};
    struct Case
    {
        const char *what;
        QSize picture;
        QRect area;
    } cases[] = {
        {"across two outputs", {1920, 800}, {1200, 0, 200, 100}},
        {"below the shorter output", {1920, 800}, {1300, 500, 10, 10}},
        {"beyond the layout", {1920, 800}, {1900, 0, 100, 100}},
        {"a picture smaller than the layout", {1280, 800}, {1280, 0, 640, 480}},
    };
    for (const Case &c : cases)
        EXPECT_THROW(WaylandScreenGrabber::cut(layoutPicture(c.picture), sideBySide, c.area), Error) << c.what;
}

TEST(WaylandScreenGrabberTest, DisplayIdentifiersFollowOutputNames)
{
    EXPECT_EQ(WaylandOutputs::identifierForName("Meta-0"), WaylandOutputs::identifierForName("Meta-0"));
    EXPECT_NE(WaylandOutputs::identifierForName("Meta-0"), WaylandOutputs::identifierForName("Meta-1"));
    EXPECT_NE(WaylandOutputs::identifierForName(""), 0u);
}
