#include "output/PngRows.h"

#include <QRgb>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace Png {
namespace {

std::optional<SourceLayout> directLayout(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
        return SourceLayout::xrgb32;
    case QImage::Format_ARGB32:
        return SourceLayout::argb32;
    case QImage::Format_ARGB32_Premultiplied:
        return SourceLayout::argb32Premultiplied;
    case QImage::Format_RGBX8888:
        return SourceLayout::rgbx8888;
    case QImage::Format_RGBA8888:
        return SourceLayout::rgba8888;
    case QImage::Format_RGBA8888_Premultiplied:
        return SourceLayout::rgba8888Premultiplied;
    case QImage::Format_RGB888:
        return SourceLayout::rgb888;
    default:
        return std::nullopt;
    }
}

bool allOpaque(const QImage &image, SourceLayout layout)
{
    const bool qrgb = layout == SourceLayout::argb32 || layout == SourceLayout::argb32Premultiplied;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const uchar a = qrgb ? uchar(qAlpha(reinterpret_cast<const QRgb *>(line)[x])) : line[4 * x + 3];
            if (a != 0xff)
                return false;
        }
    }
    return true;
}

void packQRgb(const QRgb *in, int width, bool alpha, bool premultiplied, std::uint8_t *out)
{
    if (!alpha) {
        for (int x = 0; x < width; ++x, out += 3) {
            out[0] = std::uint8_t(qRed(in[x]));
            out[1] = std::uint8_t(qGreen(in[x]));
            out[2] = std::uint8_t(qBlue(in[x]));
        }
        return;
    }
    for (int x = 0; x < width; ++x, out += 4) {
        const QRgb p = premultiplied ? qUnpremultiply(in[x]) : in[x];
        out[0] = std::uint8_t(qRed(p));
        out[1] = std::uint8_t(qGreen(p));
        out[2] = std::uint8_t(qBlue(p));
        out[3] = std::uint8_t(qAlpha(p));
    }
}

void packBytes4(const uchar *in, int width, bool alpha, bool premultiplied, std::uint8_t *out)
{
    if (alpha && !premultiplied) {
        std::memcpy(out, in, std::size_t(width) * 4);
        return;
    }
    if (!alpha) {
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
        return;
    }
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
        const QRgb p = qUnpremultiply(qRgba(in[0], in[1], in[2], in[3]));
        out[0] = std::uint8_t(qRed(p));
        out[1] = std::uint8_t(qGreen(p));
        out[2] = std::uint8_t(qBlue(p));
        out[3] = std::uint8_t(qAlpha(p));
    }
}

std::uint8_t paethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return std::uint8_t(a);
    return std::uint8_t(pb <= pc ? b : c);
}

} // namespace

Source prepareSource(const QImage &image)
{
    Source source;
    if (const auto layout = directLayout(image.format())) {
        source.image = image;
        source.layout = *layout;
    } else {
        // Formats the grabber and stitcher do not produce (indexed, 16-bit,
        // 30-bit…) go through Qt's own conversion first.
        const bool alpha = image.hasAlphaChannel();
        source.image = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        source.layout = alpha ? SourceLayout::argb32 : SourceLayout::xrgb32;
    }
    source.alpha = source.image.hasAlphaChannel() && !allOpaque(source.image, source.layout);
    return source;
}

void packRow(const Source &source, int y, std::uint8_t *out)
{
    const uchar *line = source.image.constScanLine(y);
    const int width = source.image.width();
    switch (source.layout) {
    case SourceLayout::xrgb32:
    case SourceLayout::argb32:
    case SourceLayout::argb32Premultiplied:
        packQRgb(reinterpret_cast<const QRgb *>(line), width, source.alpha,
            source.layout == SourceLayout::argb32Premultiplied, out);
        return;
    case SourceLayout::rgbx8888:
    case SourceLayout::rgba8888:
    case SourceLayout::rgba8888Premultiplied:
        packBytes4(line, width, source.alpha, source.layout == SourceLayout::rgba8888Premultiplied, out);
        return;
    case SourceLayout::rgb888:
        std::memcpy(out, line, std::size_t(width) * 3);
        return;
    }
}

void filterRow(Filter filter, const std::uint8_t *row, const std::uint8_t *previous, std::size_t length,
    int bytesPerPixel, std::uint8_t *out)
{
    *out++ = std::uint8_t(filter);
    const std::size_t bpp = std::size_t(bytesPerPixel);
    auto left = [&](std::size_t i) -> int { return i >= bpp ? row[i - bpp] : 0; };
    auto up = [&](std::size_t i) -> int { return previous ? previous[i] : 0; };
    auto upLeft = [&](std::size_t i) -> int { return previous && i >= bpp ? previous[i - bpp] : 0; };
    switch (filter) {
    case Filter::none:
        std::memcpy(out, row, length);
        return;
    case Filter::sub: {
        // Split so that the main loop has no branch and vectorises.
        const std::size_t head = std::min(bpp, length);
        std::memcpy(out, row, head);
        for (std::size_t i = head; i < length; ++i)
            out[i] = std::uint8_t(row[i] - row[i - bpp]);
        return;
    }
    case Filter::up:
        if (!previous) {
            std::memcpy(out, row, length);
            return;
        }
        for (std::size_t i = 0; i < length; ++i)
            out[i] = std::uint8_t(row[i] - previous[i]);
        return;
    case Filter::average:
        for (std::size_t i = 0; i < length; ++i)
            out[i] = std::uint8_t(row[i] - ((left(i) + up(i)) >> 1));
        return;
    case Filter::paeth:
        for (std::size_t i = 0; i < length; ++i)
            out[i] = std::uint8_t(row[i] - paethPredictor(left(i), up(i), upLeft(i)));
        return;
    }
}

} // namespace Png
