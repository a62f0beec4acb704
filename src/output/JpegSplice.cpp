#include "output/JpegSplice.h"

#include <cstring>

namespace Jpeg {

namespace {

constexpr std::uint8_t markerPrefix = 0xFF;
constexpr std::uint8_t soi = 0xD8;
constexpr std::uint8_t eoi = 0xD9;
constexpr std::uint8_t sos = 0xDA;
constexpr std::uint8_t sof0 = 0xC0; // baseline DCT, the only frame type we write
constexpr std::uint8_t rst0 = 0xD0;
constexpr std::uint8_t rst7 = 0xD7;

std::size_t segmentLength(std::span<const std::uint8_t> stream, std::size_t at)
{
    return std::size_t(stream[at + 2]) << 8 | stream[at + 3];
}

} // namespace

std::optional<StreamLayout> parseStream(std::span<const std::uint8_t> stream)
{
    const std::size_t size = stream.size();
    if (size < 4 || stream[0] != markerPrefix || stream[1] != soi || stream[size - 2] != markerPrefix
        || stream[size - 1] != eoi)
        return std::nullopt;
    StreamLayout layout;
    std::size_t at = 2;
    // Every marker before the scan is followed by a length that counts
    // itself; a frame header holds precision, then height, then width.
    while (at + 4 <= size && stream[at] == markerPrefix) {
        const std::uint8_t code = stream[at + 1];
        const std::size_t length = segmentLength(stream, at);
        if (length < 2 || at + 2 + length > size - 2)
            return std::nullopt;
        if (code == sof0 && length >= 8)
            layout.heightOffset = at + 5;
        at += 2 + length;
        if (code == sos) {
            if (layout.heightOffset == 0)
                return std::nullopt;
            layout.scanStart = at;
            layout.scanEnd = size - 2;
            return layout;
        }
    }
    return std::nullopt;
}

void renumberRestarts(std::span<std::uint8_t> scan, unsigned offset)
{
    if (offset % 8 == 0 || scan.empty())
        return;
    std::uint8_t *at = scan.data();
    std::uint8_t *const end = scan.data() + scan.size();
    // Inside entropy-coded data 0xFF is always followed by 0x00 (stuffing)
    // or by a restart marker, so a plain search for 0xFF finds every marker.
    while (auto *found = static_cast<std::uint8_t *>(std::memchr(at, markerPrefix, std::size_t(end - at)))) {
        if (found + 1 == end)
            return;
        const std::uint8_t code = found[1];
        if (code >= rst0 && code <= rst7)
            found[1] = restartMarkerCode(unsigned(code - rst0) + offset);
        at = found + 2;
    }
}

void writeHeight(std::span<std::uint8_t> stream, const StreamLayout &layout, std::uint16_t height)
{
    stream[layout.heightOffset] = std::uint8_t(height >> 8);
    stream[layout.heightOffset + 1] = std::uint8_t(height);
}

} // namespace Jpeg
