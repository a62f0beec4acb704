#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>

// Turning QImage rows into the bytes of a PNG image stream: packing pixels
// as 8-bit RGB or straight (non-premultiplied) RGBA, then filtering each row.
namespace Png {

// PNG's per-row filter types; the value is the byte that leads each row.
enum class Filter : std::uint8_t { none = 0, sub = 1, up = 2, average = 3, paeth = 4 };

// The in-memory pixel layouts that are packed without a prior conversion.
enum class SourceLayout {
    xrgb32, // QImage::Format_RGB32
    argb32, // QImage::Format_ARGB32
    argb32Premultiplied, // QImage::Format_ARGB32_Premultiplied
    rgbx8888, // QImage::Format_RGBX8888
    rgba8888, // QImage::Format_RGBA8888
    rgba8888Premultiplied, // QImage::Format_RGBA8888_Premultiplied
    rgb888, // QImage::Format_RGB888
};

// An image ready to be packed: either the caller's image (shared, not copied)
// or a converted copy when its format has no direct layout.
struct Source
{
    QImage image;
    SourceLayout layout = SourceLayout::xrgb32;
    bool alpha = false; // written as RGBA; otherwise as RGB

    int channels() const { return alpha ? 4 : 3; }
    // Bytes of one packed row, without its filter byte.
    std::size_t rowBytes() const { return std::size_t(image.width()) * std::size_t(channels()); }
};

// Chooses the layout, converting the image when needed. An image whose format
// carries alpha but whose pixels are all opaque is written as RGB.
Source prepareSource(const QImage &image);

// Packs row `y` of the source into `out` (rowBytes() bytes).
void packRow(const Source &source, int y, std::uint8_t *out);

// Writes the filter byte and the filtered row (1 + length bytes) to `out`.
// `previous` is the packed row above, or null for the first row of the image.
void filterRow(Filter filter, const std::uint8_t *row, const std::uint8_t *previous, std::size_t length,
    int bytesPerPixel, std::uint8_t *out);

} // namespace Png
