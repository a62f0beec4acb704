// How often stitching gives back the true page, by scroll speed.
//
//   build/bench/quillet_stitch_fidelity [pages per speed, default 20]
//
// Synthetic pages of text lines, pictures and blank margins are scrolled
// under an 800 × 600 rectangle at a steady speed (a share of the rectangle's
// height per frame), or at that speed jittered by up to ±10 % per frame.
// For each speed it prints the share of outputs equal to the page, and the
// output height as a share of the page height (above 100 % means repeated
// content, below means lost content).
#include "capture/FrameStitcher.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>

namespace {

constexpr int width = 800;
constexpr int frameHeight = 600;
constexpr int margin = 40;
constexpr int targetPageHeight = 5000;

// A small "font": glyph bitmaps 8 × 12, reused across the page as text is.
struct Font
{
    QList<QImage> glyphs;
};

Font makeFont(QRandomGenerator &random)
{
    Font font;
    for (int g = 0; g < 40; ++g) {
        QImage glyph(8, 12, QImage::Format_RGB32);
        glyph.fill(Qt::white);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 8; ++x)
                if (random.bounded(100) < 35)
                    glyph.setPixel(x, y, qRgb(30, 30, 40));
        font.glyphs.append(glyph);
    }
    return font;
}

int drawTextLine(QPainter &painter, const Font &font, QRandomGenerator &random, int top)
{
    int x = margin;
    const int end = width - margin - random.bounded(200);
    while (x < end - 10) {
        const int letters = 2 + random.bounded(8);
        for (int i = 0; i < letters && x < end - 10; ++i, x += 9)
            painter.drawImage(x, top, font.glyphs[random.bounded(font.glyphs.size())]);
        x += 6;
    }
    return top + 18;
}

int drawPicture(QPainter &painter, QRandomGenerator &random, int top)
{
    const int height = 120 + random.bounded(200);
    const int left = margin + random.bounded(200);
    QImage picture(width - margin - left, height, QImage::Format_RGB32);
    const int hue = random.bounded(360);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y,
                QColor::fromHsv(
                    (hue + x / 4 + y / 3) % 360, 120 + random.bounded(40), 150 + random.bounded(60))
                    .rgb());
    painter.drawImage(left, top, picture);
    return top + height;
}

QImage makePage(int height, const Font &font, QRandomGenerator &random)
{
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    int y = 20;
    while (y < height) {
        const int kind = random.bounded(10);
        if (kind < 6) {
            for (int lines = 3 + random.bounded(8); lines > 0; --lines)
                y = drawTextLine(painter, font, random, y);
            y += 24; // paragraph gap
        } else if (kind < 8) {
            y = drawPicture(painter, random, y) + 24;
        } else {
            y += 60 + random.bounded(100); // section break
        }
    }
    return page;
}

// Frame tops for a scroll that ends exactly at the page's end.
QList<int> frameTops(int shift, bool jitter, QRandomGenerator &random)
{
    QList<int> tops{0};
    while (tops.back() + frameHeight < targetPageHeight) {
        const int spread = shift / 10;
        const int step = jitter && spread > 0 ? shift - spread + random.bounded(2 * spread + 1) : shift;
        tops.append(tops.back() + std::max(1, step));
    }
    return tops;
}

struct Outcome
{
    bool exact = false;
    double heightShare = 0.0;
};

Outcome scrollAndStitch(int shift, bool jitter, const Font &font, QRandomGenerator &random)
{
    const QList<int> tops = frameTops(shift, jitter, random);
    const QImage page = makePage(tops.back() + frameHeight, font, random);
    QList<QImage> frames;
    for (int top : tops)
        frames.append(page.copy(0, top, width, frameHeight));
    const QImage output = FrameStitcher::stitchFrames(frames);
    const QImage truth = page.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    return {output == truth, double(output.height()) / page.height()};
}

} // namespace

int main(int argc, char **argv)
{
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QRandomGenerator random(20240601);
    const Font font = makeFont(random);
    std::printf("rectangle %d x %d, page about %d rows, %d pages per speed\n\n", width, frameHeight,
        targetPageHeight, pages);
    std::printf("speed  | exact (steady) | height (steady) | exact (+-10%%) | height (+-10%%)\n");
    std::printf("-------|----------------|-----------------|---------------|---------------\n");
    for (int percent = 10; percent <= 90; percent += 10) {
        const int shift = frameHeight * percent / 100;
        Outcome sums[2];
        int exact[2] = {0, 0};
        for (int p = 0; p < pages; ++p) {
            for (int j = 0; j < 2; ++j) {
                const Outcome o = scrollAndStitch(shift, j == 1, font, random);
                exact[j] += o.exact;
                sums[j].heightShare += o.heightShare;
            }
        }
        std::printf("%4d %% | %12.0f %% | %13.1f %% | %11.0f %% | %12.1f %%\n", percent,
            100.0 * exact[0] / pages, 100.0 * sums[0].heightShare / pages, 100.0 * exact[1] / pages,
            100.0 * sums[1].heightShare / pages);
    }
    return 0;
}
