#include "capture/RowSignatures.h"

#include <QHashFunctions>

#include <algorithm>
#include <optional>

namespace {

// The colour of a run of pixels when they all share one; nothing when they
// differ or the run is empty.
std::optional<quint32> oneColour(const quint32 *begin, const quint32 *end)
{
    if (begin == end)
        return std::nullopt;
    const quint32 first = *begin;
    return std::all_of(begin + 1, end, [first](quint32 p) { return p == first; })
        ? std::optional<quint32>(first)
        : std::nullopt;
}

struct StripColours
{
    std::array<std::optional<quint32>, RowSignatures::StripCount> colour;
    std::array<bool, RowSignatures::StripCount> empty{};
};

// One colour over every non-empty strip except `skipped` (none skipped when
// it is out of range).
bool oneColourExcept(const StripColours &strips, int skipped)
{
    std::optional<quint32> shared;
    for (int j = 0; j < RowSignatures::StripCount; ++j) {
        if (j == skipped || strips.empty[j])
            continue;
        if (!strips.colour[j] || (shared && *shared != *strips.colour[j]))
            return false;
        shared = strips.colour[j];
    }
    return true;
}

RowSignatures::Row signatureOf(const quint32 *pixels, int width)
{
    RowSignatures::Row row;
    StripColours colours;
    for (int j = 0; j < RowSignatures::StripCount; ++j) {
        const int begin = j * width / RowSignatures::StripCount;
        const int end = (j + 1) * width / RowSignatures::StripCount;
        // Seeded by the strip, so that equal strips at different places
        // do not cancel out in the row's XOR.
        const size_t hash = qHashBits(pixels + begin, size_t(end - begin) * 4, size_t(j) + 1);
        row.hash ^= quint64(hash);
        row.strips[j] = quint32(hash ^ (quint64(hash) >> 32));
        colours.colour[j] = oneColour(pixels + begin, pixels + end);
        colours.empty[j] = begin == end;
    }
    for (int j = 0; j < RowSignatures::StripCount; ++j) {
        if (oneColourExcept(colours, j))
            row.blank |= quint16(1u << j);
    }
    if (oneColourExcept(colours, -1))
        row.blank |= quint16(1u << RowSignatures::StripCount);
    return row;
}

} // namespace

// Frames arrive in this layout from the grabber; other formats are brought
// to it so that equal pixels always hash alike.
QImage RowSignatures::asWords(const QImage &frame)
{
    switch (frame.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return frame;
    default:
        return frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
}

RowSignatures RowSignatures::of(const QImage &frame)
{
    const QImage words = asWords(frame);
    if (words.isNull())
        return {};
    RowSignatures signatures;
    signatures.size = words.size();
    signatures.rows.reserve(words.height());
    for (int y = 0; y < words.height(); ++y) {
        const auto *pixels = reinterpret_cast<const quint32 *>(words.constScanLine(y));
        signatures.rows.append(signatureOf(pixels, words.width()));
    }
    return signatures;
}
