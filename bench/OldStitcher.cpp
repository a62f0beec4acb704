// The overlap search as first shipped (five sample rows, overlaps only up
// to half the frame), kept here alone so that the fidelity bench can show
// the current search beside it on the same sequences.
#include "OldStitcher.h"

#include <QPainter>
#include <QtNumeric>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

namespace OldStitcher {

namespace {

// Overlaps shorter than this are never reported: a few rows match by chance
// too easily (a blank line, a rule).
constexpr int minimumOverlap = 8;
constexpr int sampleRowCount = 5;
constexpr int requiredMatchingRun = 3;
constexpr double matchThreshold = 10.0; // mean squared difference per channel

// How a view's bytes hold a pixel: R, G, B, A bytes in that order, or one
// host-order 32-bit word 0xAARRGGBB. Both carry premultiplied (or opaque)
// colour, so their R, G, B values are what a premultiplied RGBA buffer holds.
enum class Layout { rgbaBytes, argbWords };

// Read-only access to a frame's pixels as premultiplied RGBA. Frames in the
// formats the grabber delivers are read in place; any other format is
// converted once.
struct PixelView
{
    QImage image; // keeps the pixels alive
    const uchar *bits = nullptr;
    qsizetype stride = 0;
    int width = 0;
    int height = 0;
    Layout layout = Layout::rgbaBytes;

    const uchar *row(int y) const { return bits + y * stride; }
};

struct Rgb
{
    int r, g, b;
};

std::optional<Layout> directLayout(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX8888:
        return Layout::rgbaBytes;
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB32:
        return Layout::argbWords;
    default:
        return std::nullopt;
    }
}

std::optional<PixelView> viewOf(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QImage source = image;
    std::optional<Layout> layout = directLayout(image.format());
    if (!layout) {
        source = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
        if (source.isNull())
            return std::nullopt;
        layout = Layout::rgbaBytes;
    }
    const uchar *bits = source.constBits();
    return PixelView{source, bits, source.bytesPerLine(), source.width(), source.height(), *layout};
}

Rgb pixelAt(const PixelView &view, const uchar *row, int x)
{
    const uchar *p = row + qsizetype(x) * 4;
    if (view.layout == Layout::rgbaBytes)
        return {p[0], p[1], p[2]};
    QRgb word;
    std::memcpy(&word, p, sizeof word);
    return {qRed(word), qGreen(word), qBlue(word)};
}

// The full premultiplied RGBA value, for telling identical frames apart.
QRgb rgbaAt(const PixelView &view, const uchar *row, int x)
{
    const uchar *p = row + qsizetype(x) * 4;
    if (view.layout == Layout::rgbaBytes)
        return qRgba(p[0], p[1], p[2], p[3]);
    QRgb word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

bool rowsMatch(const PixelView &a, int rowA, const PixelView &b, int rowB, int step)
{
    const uchar *lineA = a.row(rowA);
    const uchar *lineB = b.row(rowB);
    double sum = 0.0;
    int samples = 0;
    for (int x = 0; x < a.width; x += step) {
        const Rgb pa = pixelAt(a, lineA, x);
        const Rgb pb = pixelAt(b, lineB, x);
        const int dr = pa.r - pb.r, dg = pa.g - pb.g, db = pa.b - pb.b;
        sum += double(dr * dr + dg * dg + db * db);
        ++samples;
    }
    return samples > 0 && sum / (3.0 * samples) < matchThreshold;
}

// Compares five rows spread over the candidate band. The run of matches must
// end on the last three samples, so a mismatch there rejects at once, while
// the first two (the band's top, often a line being cut by the frame edge)
// may differ.
bool candidateMatches(const PixelView &a, const PixelView &b, int overlap, int step)
{
    int run = 0;
    for (int k = 0; k < sampleRowCount; ++k) {
        const int r = (k * overlap) / sampleRowCount;
        if (rowsMatch(a, a.height - overlap + r, b, r, step)) {
            ++run;
        } else {
            run = 0;
            if (k >= sampleRowCount - requiredMatchingRun)
                return false;
        }
    }
    return run >= requiredMatchingRun;
}

int largestCandidate(int heightA, int heightB)
{
    return std::min(heightA / 2, std::min(heightA, heightB));
}

// The search stops at half the earlier frame. A larger overlap means the
// page moved by less than half the rectangle between two grabs; such frames
// are appended whole (their content repeats in the output) rather than
// searched further, which keeps the work per pair small and avoids matching
// the repetitive rows of slow-moving text at the wrong place.
int overlapOf(const PixelView &a, const PixelView &b)
{
    if (a.width != b.width)
        return 0;
    const int step = std::max(1, a.width / std::min(a.width, 100));
    for (int h = largestCandidate(a.height, b.height); h >= minimumOverlap; --h) {
        if (candidateMatches(a, b, h, step))
            return h;
    }
    return 0;
}

// A paused scroll gives frames equal to the one before; they add nothing
// and would otherwise be appended whole (varied content matches no
// candidate), repeating a screenful in the output.
bool identical(const PixelView &a, const PixelView &b)
{
    if (a.width != b.width || a.height != b.height)
        return false;
    const qsizetype rowBytes = qsizetype(a.width) * 4;
    for (int y = 0; y < a.height; ++y) {
        const uchar *lineA = a.row(y);
        const uchar *lineB = b.row(y);
        if (a.layout == b.layout) {
            if (std::memcmp(lineA, lineB, rowBytes) != 0)
                return false;
            continue;
        }
        for (int x = 0; x < a.width; ++x) {
            if (rgbaAt(a, lineA, x) != rgbaAt(b, lineB, x))
                return false;
        }
    }
    return true;
}

struct FramePlacement
{
    QImage frame;
    qint64 offset = 0; // rows from the top of the output
};

struct Layering
{
    QList<FramePlacement> placements;
    qint64 height = 0;
};

// Each frame is compared with its neighbour in the captured list, whether
// or not that neighbour was placed. Views are made once per frame and only
// two are alive at a time.
Layering placeFrames(const QList<QImage> &frames)
{
    Layering layering{{FramePlacement{frames.front(), 0}}, frames.front().height()};
    std::optional<PixelView> previous = viewOf(frames.front());
    for (qsizetype i = 1; i < frames.size(); ++i) {
        std::optional<PixelView> next = viewOf(frames[i]);
        const bool comparable = previous && next;
        if (comparable && identical(*previous, *next)) {
            previous = std::move(next);
            continue;
        }
        const int overlap = comparable ? overlapOf(*previous, *next) : 0;
        const qint64 newRows = qint64(frames[i].height()) - overlap;
        if (newRows > 0) {
            layering.placements.append(FramePlacement{frames[i], layering.height - overlap});
            layering.height += newRows;
        }
        previous = std::move(next);
    }
    return layering;
}

QImage allocateOutput(int width, qint64 height)
{
    qsizetype bytes = 0;
    if (width <= 0 || height <= 0 || height > INT_MAX
        || qMulOverflow(qsizetype(width) * 4, qsizetype(height), &bytes))
        return {};
    QImage output(width, int(height), QImage::Format_RGBA8888_Premultiplied);
    if (output.isNull())
        return {};
    return output;
}

int drawnWidth(const QImage &frame, const QImage &output)
{
    return std::min(frame.width(), output.width());
}

// Rows of placement i that stay visible: an opaque later frame at least as
// wide hides the rows it overlaps, so they need not be drawn at all.
int visibleRows(const QList<FramePlacement> &placements, qsizetype i, const QImage &output)
{
    const FramePlacement &p = placements[i];
    if (i + 1 >= placements.size() || p.frame.hasAlphaChannel())
        return p.frame.height();
    const FramePlacement &next = placements[i + 1];
    if (next.frame.hasAlphaChannel() || drawnWidth(next.frame, output) < drawnWidth(p.frame, output))
        return p.frame.height();
    return int(std::min<qint64>(p.frame.height(), next.offset - p.offset));
}

bool needsClearing(const QList<FramePlacement> &placements, const QImage &output)
{
    return std::any_of(placements.begin(), placements.end(), [&](const FramePlacement &p) {
        return p.frame.width() < output.width() || p.frame.hasAlphaChannel();
    });
}

// Each frame is painted into a band of the output the frame's height tall,
// so no painting coordinate grows with the output's height.
void drawPlacements(QImage &output, const QList<FramePlacement> &placements)
{
    if (needsClearing(placements, output))
        output.fill(Qt::transparent);
    for (qsizetype i = 0; i < placements.size(); ++i) {
        const FramePlacement &p = placements[i];
        const int rows = visibleRows(placements, i, output);
        if (rows <= 0 || p.frame.width() <= 0)
            continue;
        QImage band(
            output.scanLine(int(p.offset)), output.width(), rows, output.bytesPerLine(), output.format());
        QPainter painter(&band);
        // Over the cleared output, an opaque frame painted as a plain copy
        // looks exactly as it does composited, only faster.
        painter.setCompositionMode(p.frame.hasAlphaChannel() ? QPainter::CompositionMode_SourceOver
                                                             : QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), p.frame, QRect(0, 0, p.frame.width(), rows));
    }
}

} // namespace

QImage stitchFrames(const QList<QImage> &frames)
{
    if (frames.isEmpty())
        return {};
    if (frames.size() == 1)
        return frames.front();
    const Layering layering = placeFrames(frames);
    QImage output = allocateOutput(frames.front().width(), layering.height);
    if (output.isNull())
        return output;
    drawPlacements(output, layering.placements);
    return output;
}

} // namespace OldStitcher
