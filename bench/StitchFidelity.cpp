// How often stitching gives back the true page, by kind of page and way of
// scrolling, for the current search with and without the wheel's readings
// and the first search side by side.
//
//   build/bench/quillet_stitch_fidelity [sequences per kind and speed, default 10]
//
// Synthetic pages are scrolled under an 800 × 500 rectangle. Six kinds of
// page: text with pictures; text with runs of identical lines; text between
// wide blank margins; text under a fixed toolbar and above a status bar;
// text beside a scrollbar whose thumb moves; text with blinking carets.
// Seven ways of scrolling (rows per grab): steady 5, 40, 150 and 400;
// uneven (3 to 480 at random); wheel steps (0 to 4 notches of 40 rows);
// flicks (300 to 600 rows slowing down to a stop, then a pause). Seeds are fixed, so every run
// measures the same sequences.
//
// A sequence is readable when every shift between neighbours can be told
// from the frames: less than the content's height, with two distinct
// non-blank rows in the overlap, and no larger overlap that fits as well.
// Columns: read = readable sequences; exact = output equal to the page (the
// caret and the scrollbar columns left out of the comparison), of all
// sequences and of the readable ones; err = mean |output height − page
// height| in rows; rep = sequences whose output holds more content rows
// than the page (content repeated). With the wheel, each frame carries the
// reading of a wheel that moves the page 40 rows a step (as if every way of
// scrolling came from it, smooth scrolling giving fractions of a step).
#include "OldStitcher.h"
#include "capture/FrameStitcher.h"

#include <QHashFunctions>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>
#include <functional>

namespace {

constexpr int width = 800;
constexpr int frameHeight = 500;
constexpr int toolbarHeight = 40;
constexpr int statusHeight = 24;
constexpr int targetPageHeight = 4000;
constexpr int maxFrames = 100;
const QRect scrollbarColumn(786, 0, 12, 1 << 20);

enum class Kind { text, repeated, margins, bands, thumb, caret };
const char *kindNames[] = {"text", "repeated", "margins", "bands", "thumb", "caret"};
const char *speedNames[] = {"steady 5", "steady 40", "steady 150", "steady 400", "uneven", "wheel", "flicks"};
constexpr int speedCount = 7;

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

// Draws a page of one kind from the top down.
struct PageWriter
{
    QPainter &painter;
    const Font &font;
    QRandomGenerator &random;
    int y = 20;

    void textLine(quint32 seed)
    {
        QRandomGenerator line(seed);
        int x = 40;
        const int end = width - 60 - line.bounded(200);
        while (x < end - 10) {
            for (int i = 2 + line.bounded(8); i > 0 && x < end - 10; --i, x += 9)
                painter.drawImage(x, y, font.glyphs[line.bounded(font.glyphs.size())]);
            x += 6;
        }
        y += 18;
    }

    void paragraph()
    {
        for (int lines = 3 + random.bounded(8); lines > 0; --lines)
            textLine(random.generate());
        y += 24;
    }

    void picture()
    {
        const int height = 120 + random.bounded(200), left = 40 + random.bounded(200);
        QImage picture(width - 60 - left, height, QImage::Format_RGB32);
        const int hue = random.bounded(360);
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < picture.width(); ++px)
                picture.setPixel(px, py,
                    QColor::fromHsv((hue + px / 4 + py / 3) % 360, 120 + random.bounded(40),
                        150 + random.bounded(60))
                        .rgb());
        painter.drawImage(left, y, picture);
        y += height + 24;
    }

    // A list of equal lines: a table of equal rows, a run of closing braces.
    void repeatedLines()
    {
        const quint32 seed = random.generate();
        for (int lines = 5 + random.bounded(20); lines > 0; --lines)
            textLine(seed);
        y += 24;
    }

    void block(Kind kind)
    {
        const int roll = random.bounded(10);
        if (kind == Kind::repeated && roll < 4)
            repeatedLines();
        else if (kind == Kind::margins && roll < 4)
            y += 200 + random.bounded(700);
        else if (roll < 7)
            paragraph();
        else if (roll < 9)
            picture();
        else
            y += 60 + random.bounded(100);
    }
};

QImage makePage(Kind kind, int height, const Font &font, QRandomGenerator &random)
{
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    PageWriter writer{painter, font, random};
    while (writer.y < height)
        writer.block(kind);
    return page;
}

int contentHeight(Kind kind)
{
    return kind == Kind::bands ? frameHeight - toolbarHeight - statusHeight : frameHeight;
}

int nextStep(int speed, int index, QRandomGenerator &random, int &peak)
{
    static const int flick[] = {100, 70, 50, 33, 22, 13, 7, 3, 1, 0, 0, 0}; // per cent of the peak
    switch (speed) {
    case 0: return 5;
    case 1: return 40;
    case 2: return 150;
    case 3: return 400;
    case 4: return 3 + random.bounded(478);
    case 5: return 40 * random.bounded(5);
    default:
        if (index % std::size(flick) == 0)
            peak = 300 + random.bounded(301);
        return peak * flick[index % std::size(flick)] / 100;
    }
}

QList<int> frameTops(int speed, int content, QRandomGenerator &random)
{
    QList<int> tops{0};
    int peak = 0;
    while (tops.back() + content < targetPageHeight && tops.size() < maxFrames)
        tops.append(tops.back() + nextStep(speed, int(tops.size()) - 1, random, peak));
    return tops;
}

QRect caretAt(int k)
{
    return {300, 150 + 400 * k, 2, 16};
}

// What the rectangle shows when the page's row `top` is at its content's top.
QImage grab(Kind kind, const QImage &page, int top, int index)
{
    const int content = contentHeight(kind);
    QImage frame(width, frameHeight, QImage::Format_RGB32);
    QPainter painter(&frame);
    const int contentTop = kind == Kind::bands ? toolbarHeight : 0;
    painter.drawImage(0, contentTop, page, 0, top, width, content);
    if (kind == Kind::bands) {
        painter.fillRect(0, 0, width, toolbarHeight, QColor(60, 63, 70));
        for (int x = 12; x < 400; x += 36)
            painter.fillRect(x, 8, 24, 24, QColor::fromHsv(x % 360, 140, 220));
        painter.fillRect(0, frameHeight - statusHeight, width, statusHeight, QColor(230, 230, 230));
        painter.fillRect(10, frameHeight - statusHeight + 8, 120, 8, QColor(90, 90, 90));
    } else if (kind == Kind::thumb) {
        painter.fillRect(scrollbarColumn, QColor(235, 235, 235));
        const int thumbTop = top * (frameHeight - 60) / std::max(1, page.height() - frameHeight);
        painter.fillRect(788, thumbTop, 8, 60, QColor(140, 140, 140));
    } else if (kind == Kind::caret && index % 2 == 0) {
        for (int k = 0; caretAt(k).top() < page.height(); ++k)
            painter.fillRect(caretAt(k).translated(0, -top), Qt::black);
    }
    return frame;
}

QImage truthOf(Kind kind, const QImage &page, int lastTop)
{
    const int content = contentHeight(kind);
    if (kind != Kind::bands)
        return page.copy(0, 0, width, lastTop + content);
    QImage truth(width, toolbarHeight + lastTop + content + statusHeight, QImage::Format_RGB32);
    const QImage first = grab(kind, page, 0, 0);
    QPainter painter(&truth);
    painter.drawImage(0, 0, first, 0, 0, width, toolbarHeight);
    painter.drawImage(0, toolbarHeight, page, 0, 0, width, lastTop + content);
    painter.drawImage(0, truth.height() - statusHeight, first, 0, frameHeight - statusHeight, width, statusHeight);
    return truth;
}

// The parts that change between frames are left out of the comparison.
QImage masked(Kind kind, QImage image)
{
    image = image.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    if (kind == Kind::thumb)
        painter.fillRect(scrollbarColumn, Qt::black);
    if (kind == Kind::caret)
        painter.fillRect(caretAt(0).left(), 0, caretAt(0).width(), image.height(), Qt::white);
    return image;
}

QList<quint64> rowHashes(const QImage &image)
{
    QList<quint64> hashes;
    for (int y = 0; y < image.height(); ++y)
        hashes.append(qHashBits(image.constScanLine(y), size_t(image.width()) * 4));
    return hashes;
}

int contentRowCount(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        count += std::any_of(line, line + image.width(), [&](QRgb p) { return p != line[0]; });
    }
    return count;
}

bool readable(const QList<int> &tops, int content, const QImage &page)
{
    const QList<quint64> rows = rowHashes(page);
    const quint64 blank = qHashBits(QList<QRgb>(width, qRgb(255, 255, 255)).constData(), size_t(width) * 4);
    auto fits = [&](int a, int b, int s) {
        for (int r = 0; r < content - s; ++r)
            if (rows[a + s + r] != rows[b + r])
                return false;
        return true;
    };
    for (qsizetype i = 0; i + 1 < tops.size(); ++i) {
        const int a = tops[i], b = tops[i + 1], s = b - a;
        if (s == 0)
            continue;
        if (s >= content)
            return false;
        QList<quint64> distinct;
        for (int r = b; r < a + content && distinct.size() < 2; ++r)
            if (rows[r] != blank && !distinct.contains(rows[r]))
                distinct.append(rows[r]);
        if (distinct.size() < 2)
            return false;
        for (int larger = 0; larger < s; ++larger)
            if (fits(a, b, larger))
                return false;
    }
    return true;
}

constexpr int methods = 3; // current, current with the wheel, first
constexpr double rowsPerStep = 40;

struct Tally
{
    int sequences = 0, readable = 0;
    int exact[methods] = {}, exactReadable[methods] = {}, repeats[methods] = {};
    double heightError[methods] = {};

    void add(const Tally &o)
    {
        sequences += o.sequences;
        readable += o.readable;
        for (int m = 0; m < methods; ++m) {
            exact[m] += o.exact[m];
            exactReadable[m] += o.exactReadable[m];
            repeats[m] += o.repeats[m];
            heightError[m] += o.heightError[m];
        }
    }
};

void measure(Kind kind, int speed, quint32 seed, const Font &font, Tally &tally)
{
    QRandomGenerator random(seed);
    const int content = contentHeight(kind);
    const QList<int> tops = frameTops(speed, content, random);
    const QImage page = makePage(kind, tops.back() + content, font, random);
    QList<QImage> frames;
    for (int i = 0; i < tops.size(); ++i)
        frames.append(grab(kind, page, tops[i], i));
    const QImage truth = masked(kind, truthOf(kind, page, tops.back()));
    const bool canRead = readable(tops, content, page);
    tally.sequences += 1;
    tally.readable += canRead;
    QList<double> wheel;
    for (int top : tops)
        wheel.append(top / rowsPerStep);
    const QImage outputs[methods] = {FrameStitcher::stitchFrames(frames),
        FrameStitcher::stitchFrames(frames, {}, wheel), OldStitcher::stitchFrames(frames)};
    for (int m = 0; m < methods; ++m) {
        const QImage out = masked(kind, outputs[m]);
        const bool exact = out == truth;
        tally.exact[m] += exact;
        tally.exactReadable[m] += exact && canRead;
        tally.heightError[m] += std::abs(out.height() - truth.height());
        tally.repeats[m] += contentRowCount(out) > contentRowCount(truth);
    }
}

double share(int part, int whole)
{
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

void printRow(const char *kind, const char *speed, const Tally &t)
{
    std::printf("%-8s | %-10s | %4d | %4d", kind, speed, t.sequences, t.readable);
    for (int m = 0; m < 2; ++m) {
        std::printf(" || %5.0f %% | %5.0f %% | %7.1f | %3d", share(t.exact[m], t.sequences),
            share(t.exactReadable[m], t.readable), t.heightError[m] / std::max(1, t.sequences), t.repeats[m]);
    }
    std::printf(" || %5.0f %% | %7.1f | %3d\n", share(t.exact[2], t.sequences),
        t.heightError[2] / std::max(1, t.sequences), t.repeats[2]);
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // rows appear as they are measured
    const int perCell = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QRandomGenerator fontRandom(20240601);
    const Font font = makeFont(fontRandom);
    std::printf("rectangle %d x %d, pages up to about %d rows, %d sequences per kind and speed\n\n", width,
        frameHeight, targetPageHeight, perCell);
    const char *columns = "  exact | of read |     err | rep";
    std::printf("                                    current search                   || current search with the wheel"
                "     || first search\n");
    std::printf("kind     | speed      | seqs | read || %s || %s ||   exact |     err | rep\n", columns, columns);
    std::printf("---------|------------|------|------||---------|---------|---------|-----||---------|---------|"
                "---------|-----||---------|---------|----\n");
    Tally all;
    Tally textSteady;
    for (int k = 0; k < 6; ++k) {
        for (int speed = 0; speed < speedCount; ++speed) {
            Tally cell;
            for (int n = 0; n < perCell; ++n)
                measure(Kind(k), speed, quint32(1000 * k + 100 * speed + n + 1), font, cell);
            printRow(kindNames[k], speedNames[speed], cell);
            all.add(cell);
            if (Kind(k) == Kind::text && speed < 4)
                textSteady.add(cell);
        }
    }
    std::printf("\n");
    printRow("all", "", all);
    printRow("text", "steady", textSteady);
    return 0;
}
