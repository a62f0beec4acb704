#include "capture/FrameStitcher.h"
#include "capture/CaptureError.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

using namespace FrameStitcher;

namespace {

// A page whose rows never repeat: every pixel is a hash of its position.
QRgb pagePixel(int x, int y)
{
    quint32 h = quint32(x) * 73856093u ^ quint32(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return qRgb(h & 0xff, (h >> 8) & 0xff, (h >> 16) & 0xff);
}

QImage page(int width, int top, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pagePixel(x, top + y));
    return image.convertToFormat(format);
}

QImage uniform(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage stacked(const QList<QImage> &parts)
{
    int height = 0;
    for (const QImage &part : parts)
        height += part.height();
    QImage out(parts.front().width(), height, QImage::Format_RGBA8888_Premultiplied);
    out.fill(Qt::transparent);
    int top = 0;
    for (const QImage &part : parts) {
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < std::min(part.width(), out.width()); ++x)
                out.setPixel(x, top + y, part.pixel(x, y));
        top += part.height();
    }
    return out;
}

QImage premultipliedRgba(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

void expectStitchingFails(const QList<QImage> &frames)
{
    try {
        stitchFrames(frames);
        ADD_FAILURE() << "stitching succeeded";
    } catch (const CaptureFailure &failure) {
        EXPECT_EQ(failure.error(), CaptureError::stitchingFailed);
    }
}

} // namespace

TEST(FrameStitcherTest, ContentScrolledByHalfTheFrameOrMoreIsReconstructedExactly)
{
    for (int h : {100, 101}) {
        for (int s = h - h / 2; s <= h - 8; ++s) {
            SCOPED_TRACE(testing::Message() << "height " << h << ", shift " << s);
            const QImage first = page(60, 0, h), second = page(60, s, h), third = page(60, 2 * s, h);
            EXPECT_EQ(findOverlap(first, second), h - s);
            EXPECT_EQ(stitchFrames({first, second}), premultipliedRgba(page(60, 0, h + s)));
            EXPECT_EQ(stitchFrames({first, second, third}), premultipliedRgba(page(60, 0, h + 2 * s)));
        }
    }
}

TEST(FrameStitcherTest, ContentScrolledByLessThanHalfIsAppendedWhole)
{
    for (int s : {1, 10, 49}) {
        SCOPED_TRACE(s);
        const QImage first = page(60, 0, 100), second = page(60, s, 100);
        EXPECT_EQ(findOverlap(first, second), 0);
        EXPECT_EQ(stitchFrames({first, second}), stacked({first, second}));
    }
}

TEST(FrameStitcherTest, BlankMarginLetsASmallerCandidateMatch)
{
    // Rows 30-129 of the page are white: at a scroll of 20 rows the true
    // overlap (80) is out of reach, but the candidate 50 samples only white.
    QImage content = page(60, 0, 200);
    for (int y = 30; y < 130; ++y)
        for (int x = 0; x < 60; ++x)
            content.setPixel(x, y, qRgb(255, 255, 255));
    const QImage first = content.copy(0, 0, 60, 100), second = content.copy(0, 20, 60, 100);
    EXPECT_EQ(findOverlap(first, second), 50);
    // The later frame is drawn over the rows it was taken to share.
    EXPECT_EQ(stitchFrames({first, second}), stacked({first.copy(0, 0, 60, 50), second}));
}

TEST(FrameStitcherTest, FramesEqualToTheirPredecessorAreLeftOut)
{
    const QImage white = uniform(60, 100, Qt::white);
    const QImage a = page(60, 0, 100), b = page(60, 70, 100);
    const QImage aAsRgba = premultipliedRgba(a);
    const QImage expectedAB = premultipliedRgba(page(60, 0, 170));
    struct Case
    {
        const char *name;
        QList<QImage> frames;
        QImage expected;
    } cases[] = {
        {"uniform", {white, white, white}, premultipliedRgba(white)},
        {"varied", {a, a}, aAsRgba},
        {"same pixels in another format", {a, aAsRgba}, aAsRgba},
        {"pause before scrolling", {a, a, b}, expectedAB},
        {"pause after scrolling", {a, b, b, b}, expectedAB},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stitchFrames(c.frames), c.expected);
    }
}

TEST(FrameStitcherTest, FramesOfOtherWidthsAreAppendedAtTheirOwnWidthOnTheFirstFramesCanvas)
{
    const QImage first = page(60, 0, 40), wider = page(80, 0, 40), narrower = page(30, 0, 40);
    // Cut at the right edge, transparent beyond column 30.
    EXPECT_EQ(stitchFrames({first, wider, narrower}), stacked({first, wider, narrower}));
}

TEST(FrameStitcherTest, ShortFramesTryOnlyCandidatesOfEightRowsOrMore)
{
    struct Case
    {
        int height, shift, expectedHeight;
    } cases[] = {
        {15, 7, 30}, // at most 7 rows could overlap: no candidate at all
        {16, 8, 24}, // only the candidate 8, and it fits
        {16, 9, 32}, // only the candidate 8, and it does not
        {17, 9, 26},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.height << " rows shifted by " << c.shift);
        const QImage out = stitchFrames({page(60, 0, c.height), page(60, c.shift, c.height)});
        EXPECT_EQ(out.height(), c.expectedHeight);
    }
}

TEST(FrameStitcherTest, TheLastThreeSampleRowsDecideACandidate)
{
    // 16 rows tall: only the candidate 8 is tried, comparing rows 8 + r of the
    // first frame with rows r = 0, 1, 3, 4, 6 of the second.
    struct Case
    {
        const char *name;
        QList<int> changedRows;
        int dr, dg, db;
        int expectedHeight;
    } cases[] = {
        {"first two sample rows differ", {0, 1}, 90, 90, 90, 24},
        {"third sample row differs", {3}, 90, 90, 90, 32},
        {"fifth sample row differs", {6}, 90, 90, 90, 32},
        {"only rows between samples differ", {2, 5, 7}, 90, 90, 90, 24},
        {"mean squared difference exactly 10", {0, 1, 3, 4, 6}, 5, 2, 1, 32},
        {"mean squared difference just below 10", {0, 1, 3, 4, 6}, 5, 2, 0, 24},
    };
    const QImage first = uniform(3, 16, QColor(100, 100, 100));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QImage second = first.copy();
        for (int x = 0; x < 3; ++x) {
            for (int row : c.changedRows)
                second.setPixel(x, row, qRgb(100 + c.dr, 100 + c.dg, 100 + c.db));
            second.setPixel(x, 15, qRgb(0, 0, 255)); // never equal to the first frame
        }
        const QImage out = stitchFrames({first, second});
        ASSERT_EQ(out.height(), c.expectedHeight);
        EXPECT_EQ(out.pixel(1, out.height() - 1), qRgb(0, 0, 255)); // the later frame on top
    }
}

TEST(FrameStitcherTest, EveryPixelFormatStitchesToTheSameImage)
{
    const QImage expected = premultipliedRgba(page(120, 0, 130));
    for (QImage::Format format :
        {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBA8888_Premultiplied,
            QImage::Format_RGBX8888, QImage::Format_RGB888, QImage::Format_ARGB32}) {
        SCOPED_TRACE(format);
        const QImage out = stitchFrames({page(120, 0, 80, format), page(120, 50, 80, format)});
        EXPECT_EQ(out.format(), QImage::Format_RGBA8888_Premultiplied);
        EXPECT_EQ(out, expected);
    }
    EXPECT_EQ(stitchFrames({page(120, 0, 80), page(120, 50, 80, QImage::Format_RGB888)}), expected);
}

TEST(FrameStitcherTest, EmptyListFailsAndASingleFrameComesBackUntouched)
{
    expectStitchingFails({});
    const QImage frame = page(10, 0, 10, QImage::Format_RGB888);
    EXPECT_EQ(stitchFrames({frame}).cacheKey(), frame.cacheKey());
}

TEST(FrameStitcherTest, AnOutputTooLargeToAllocateFailsCleanly)
{
    // Frames of alternating widths never overlap, so their heights add up;
    // the list shares two images, so the test itself stays small.
    const QImage narrow = uniform(1, 1 << 22, Qt::black), wide = uniform(2, 1 << 22, Qt::white);
    QList<QImage> tallerThanAnyImage;
    for (int i = 0; i < 512; ++i)
        tallerThanAnyImage.append(i % 2 ? wide : narrow);
    expectStitchingFails(tallerThanAnyImage);

    QList<QImage> moreBytesThanMemory{uniform(1 << 15, 1, Qt::red)};
    moreBytesThanMemory.append(tallerThanAnyImage.mid(0, 511));
    expectStitchingFails(moreBytesThanMemory);
}
