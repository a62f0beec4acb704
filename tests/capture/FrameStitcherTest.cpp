#include "capture/FrameStitcher.h"
#include "capture/CaptureError.h"
#include "capture/ScrollWheelHints.h"
#include "fakes/Fixtures.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

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

// The parts one below the other, on the first one's width; empty parts add nothing.
QImage stacked(QList<QImage> parts)
{
    parts.removeIf([](const QImage &part) { return part.isNull(); });
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

// Frames of W × H: eight strips of eight columns, so that one strip can
// change alone (a caret, a scrollbar thumb).
constexpr int W = 64, H = 60;

// Views of `source` at the given tops, each `height` rows tall.
QList<QImage> views(const QImage &source, const QList<int> &tops, int height = H)
{
    QList<QImage> frames;
    for (int top : tops)
        frames.append(source.copy(0, top, source.width(), height));
    return frames;
}

QImage withRect(QImage image, QRect rect, QColor colour,
    QPainter::CompositionMode mode = QPainter::CompositionMode_Source)
{
    QPainter painter(&image);
    painter.setCompositionMode(mode);
    painter.fillRect(rect, colour);
    return image;
}

// The image's rows that are not all one colour, top to bottom: equal when
// two images show the same content, whatever blank gaps lie between.
QList<QByteArray> contentRows(const QImage &image)
{
    const QImage words = image.convertToFormat(QImage::Format_ARGB32);
    QList<QByteArray> rows;
    for (int y = 0; y < words.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(words.constScanLine(y));
        if (std::any_of(line, line + words.width(), [&](QRgb p) { return p != line[0]; }))
            rows.append(QByteArray(reinterpret_cast<const char *>(line), words.width() * 4));
    }
    return rows;
}

} // namespace

TEST(FrameStitcherTest, ScrollsOfAnySpeedGiveThePage)
{
    const QImage source = page(W, 0, 400);
    const std::pair<const char *, QList<int>> cases[] = {
        {"a row at a time", {0, 1, 2, 3, 4}},
        {"slow", {0, 5, 10, 15}},
        {"half the frame", {0, 30, 60}},
        {"two rows in common", {0, 58, 116}},
        {"one row in common", {0, 59}},
        {"uneven", {0, 3, 40, 41, 90, 150, 151, 200}},
        {"paused before, between and after scrolls", {0, 0, 20, 20, 20, 45, 45, 100, 100}},
        {"exactly the frame, nothing in common", {0, 60, 120}},
    };
    for (const auto &[name, tops] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(
            stitchFrames(views(source, tops)), premultipliedRgba(source.copy(0, 0, W, tops.back() + H)));
    }
}

TEST(FrameStitcherTest, FixedBandsAppearOnceAtTheTopAndTheBottom)
{
    const QImage source = page(W, 0, 400), chrome = page(W, 5000, 10);
    const QList<int> tops{0, 10, 25, 25, 26, 60, 100};
    // The heights of a toolbar and a status bar.
    for (const auto &[toolbarHeight, statusBarHeight] : {std::pair{6, 4}, std::pair{8, 0}, std::pair{0, 5}}) {
        SCOPED_TRACE(toolbarHeight);
        const int content = H - toolbarHeight - statusBarHeight;
        const QImage toolbar = chrome.copy(0, 0, W, toolbarHeight),
                     statusBar = chrome.copy(0, 5, W, statusBarHeight);
        QList<QImage> frames;
        for (int top : tops)
            frames.append(stacked({toolbar, source.copy(0, top, W, content), statusBar}));
        EXPECT_EQ(
            stitchFrames(frames), stacked({toolbar, source.copy(0, 0, W, tops.back() + content), statusBar}));
    }
}

TEST(FrameStitcherTest, ACaretOrScrollbarThumbChangingBetweenFramesDoesNotBreakTheJoin)
{
    const QImage source = page(W, 0, 400);
    const QList<int> tops{0, 7, 7, 30, 52, 52, 90};
    // Where the mark is in the first frame (in strip mark.x() / 8), the rows
    // it moves down per frame, and whether it shows in every other frame only.
    const std::tuple<const char *, QRect, int, bool> cases[] = {
        {"a caret blinking in the text", QRect(18, 3, 2, 8), 0, true},
        {"a scrollbar thumb moving down", QRect(58, 0, 4, 12), 5, false},
    };
    for (const auto &[name, mark, moveDown, blinks] : cases) {
        SCOPED_TRACE(name);
        QList<QImage> frames = views(source, tops);
        for (int i = 0; i < frames.size(); ++i) {
            if (!blinks || i % 2 == 0)
                frames[i] = withRect(frames[i], mark.translated(0, i * moveDown), Qt::darkGray);
        }
        const QImage out = stitchFrames(frames);
        const QImage truth = source.copy(0, 0, W, tops.back() + H);
        ASSERT_EQ(out.size(), truth.size());
        // Outside the strip that changes, the page itself.
        const QRect strip(mark.x() / 8 * 8, 0, 8, truth.height());
        EXPECT_EQ(withRect(out, strip, Qt::black), premultipliedRgba(withRect(truth, strip, Qt::black)));
    }
}

TEST(FrameStitcherTest, OverlapsOfBlankRowsOnlyNeverRepeatOrLoseContent)
{
    // Content, then 120 blank rows (twice the frame), then content.
    const QImage source = withRect(page(W, 0, 400), QRect(0, 40, W, 120), qRgb(255, 255, 255));
    for (const QList<int> &tops : QList<QList<int>>{
             {0, 30, 60, 90, 120, 150, 180, 210}, {0, 25, 70, 100, 150, 200}, {0, 50, 100, 150, 200}}) {
        SCOPED_TRACE(tops.size());
        EXPECT_EQ(contentRows(stitchFrames(views(source, tops))),
            contentRows(source.copy(0, 0, W, tops.back() + H)));
    }
}

TEST(FrameStitcherTest, FramesWithNothingToJoinThemAreAppendedWhole)
{
    const QImage source = page(W, 0, 400);
    const QImage a = source.copy(0, 0, W, H), b = source.copy(0, 30, W, H), c = source.copy(0, 60, W, H);
    const QImage shorter = page(W, 1000, 40);
    // Frames of other widths keep their own width on the first frame's
    // canvas: cut at its right edge, transparent beyond a narrower one.
    const QImage first = page(60, 0, 40), wider = page(80, 0, 40), narrower = page(30, 0, 40);
    const std::tuple<const char *, QList<QImage>, QImage> cases[] = {
        {"scrolled further than the frame", views(source, {0, 80}), stacked(views(source, {0, 80}))},
        {"a frame of another height between", {a, shorter, b, c},
            stacked({a, shorter, source.copy(0, 30, W, 90)})},
        {"frames of other widths", {first, wider, narrower}, stacked({first, wider, narrower})},
    };
    for (const auto &[name, frames, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(stitchFrames(frames), expected);
    }
}

// Near-equal colours, content that repeats, frames of one colour.
TEST(FrameStitcherTest, NearEqualRepeatingAndBlankFrames)
{
    const QImage source = page(W, 0, 400);
    QImage periodic(W, 400, QImage::Format_RGB32);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < W; ++x)
            periodic.setPixel(x, y, pagePixel(x, y % 12));
    const QImage blankBand = uniform(W, 6, QColor(200, 200, 200));
    // A small uniform change of colour is forgiven: the mean squared
    // difference per channel is 9 for 3 levels, 16 for 4.
    const auto brighter = [&](int levels) {
        return withRect(source.copy(0, 20, W, H), QRect(0, 0, W, H), QColor(levels, levels, levels),
            QPainter::CompositionMode_Plus);
    };
    const std::tuple<const char *, QList<QImage>, int> cases[] = {
        {"3 levels brighter", {source.copy(0, 0, W, H), brighter(3)}, 80},
        {"4 levels brighter", {source.copy(0, 0, W, H), brighter(4)}, 120},
        {"moved by less than the content's period", views(periodic, {0, 5}), 65},
        {"equal frames of one colour", {blankBand, blankBand, blankBand}, 6},
    };
    for (const auto &[name, frames, height] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(stitchFrames(frames).height(), height);
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
    // The same pixels in another format are the same frame: a pause.
    const QImage a = page(120, 0, 80);
    EXPECT_EQ(stitchFrames({a, premultipliedRgba(a)}), premultipliedRgba(a));
}

// An empty list and an output too large to allocate fail cleanly; a single
// frame comes back untouched.
TEST(FrameStitcherTest, FailuresAndASingleFrame)
{
    const QImage frame = page(10, 0, 10, QImage::Format_RGB888);
    EXPECT_EQ(stitchFrames({frame}).cacheKey(), frame.cacheKey());
    expectStitchingFails({});
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

// The wheel's ratio comes from the pairs the content proved, in frame order.
TEST(ScrollWheelHintsTest, LearnsPixelsPerStepFromProvenMoves)
{
    // The wheel's readings; the number of frames; the proven pairs (later
    // frame, rows moved); the ratio learnt.
    const std::tuple<const char *, QList<double>, int, QList<std::pair<int, int>>, std::optional<double>> cases[] = {
        {"steady", {0, 2, 4, 6}, 4, {{1, 40}, {2, 40}, {3, 40}}, 20},
        {"the page a frame behind its wheel", {0, 2, 4, 4}, 4, {{1, 0}, {2, 40}, {3, 40}}, 20},
        {"turned on at the end of the page", {0, 2, 4, 6, 8}, 5, {{1, 40}, {2, 40}, {3, 0}, {4, 0}}, 20},
        {"an unproven pair drops what a pause carried", {0, 2, 4, 6}, 4, {{1, 0}, {3, 40}}, 20},
        {"turned upward", {0, 2, 1, 3}, 4, {{1, 40}, {2, 40}, {3, 40}}, 20},
        {"less than a step proven", {0, 0.5}, 2, {{1, 10}}, std::nullopt},
        {"readings missing for some frames", {0, 2}, 3, {{1, 40}, {2, 40}}, std::nullopt},
    };
    for (const auto &[name, steps, frames, proven, ratio] : cases) {
        SCOPED_TRACE(name);
        ScrollWheelHints hints(steps, frames);
        for (const auto &[later, shift] : proven)
            hints.learn(later, shift);
        EXPECT_EQ(hints.pixelsPerStep(), ratio);
    }
    // An estimate only where the wheel turned downward, once learnt.
    ScrollWheelHints hints({0, 2, 5, 5, 4}, 5);
    EXPECT_EQ(hints.estimate(1), std::nullopt);
    hints.learn(1, 30);
    EXPECT_EQ(std::tuple(hints.estimate(2), hints.estimate(3), hints.estimate(4)),
        std::tuple(std::optional<double>(45), std::nullopt, std::nullopt));
}

// Where two frames share only blank rows, or none, the wheel tells how far
// the page moved; what the content proves still wins everywhere else.
TEST(FrameStitcherTest, TheWheelMeasuresWhatBlankRowsCannot)
{
    // 6 rows a wheel step. Content, a blank stretch of 2.5 frames, content.
    const QImage blanks = withRect(page(W, 0, 600), QRect(0, 80, W, 150), Qt::white);
    const QImage blankFirst = withRect(page(W, 0, 600), QRect(0, 0, W, 150), Qt::white);
    const QImage source = page(W, 0, 600);
    const auto wheel = [](const QList<int> &tops) {
        QList<double> steps;
        for (int top : tops)
            steps.append(top / 6.0);
        return steps;
    };
    QList<int> even;
    for (int top = 0; top <= 300; top += 12)
        even.append(top);
    QList<double> behind = wheel(even.mid(1));
    behind.append(behind.back() + 2);
    const QList<int> flick{0, 12, 24, 36, 130, 142};
    QList<double> underestimated = wheel(flick);
    underestimated[4] = underestimated[3] + 2;
    underestimated[5] = underestimated[4] + 2;
    const std::tuple<const char *, QImage, QList<int>, QList<double>, QImage> cases[] = {
        {"even steps across a blank stretch", blanks, even, wheel(even), blanks.copy(0, 0, W, 360)},
        {"a blank stretch first, the ratio learnt after it", blankFirst, even, wheel(even), blankFirst.copy(0, 0, W, 360)},
        {"the page a frame behind its wheel", blanks, even, behind, blanks.copy(0, 0, W, 360)},
        {"the content contradicts the wheel", source, {0, 12, 30, 31, 70}, {0, 5, 5, 9, 30}, source.copy(0, 0, W, 130)},
        {"a flick past the frame, the wheel short of it", source, flick, underestimated,
            stacked({source.copy(0, 0, W, 96), source.copy(0, 130, W, 72)})},
    };
    for (const auto &[name, image, tops, steps, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(stitchFrames(views(image, tops), {}, steps), premultipliedRgba(expected));
    }
    // Without a learnt ratio or a downward turn the wheel changes nothing.
    const QList<QImage> frames = views(blanks, even);
    const QList<double> none(even.size(), 3.0);
    QList<double> upward = wheel(even);
    std::reverse(upward.begin(), upward.end());
    for (const QList<double> &steps : {none, upward, wheel(even).mid(1)})
        EXPECT_EQ(stitchFrames(frames, {}, steps), stitchFrames(frames));
    const QList<QImage> allBlank = views(blanks, {84, 96, 108});
    EXPECT_EQ(stitchFrames(allBlank, {}, wheel({84, 96, 108})), stitchFrames(allBlank));
}
