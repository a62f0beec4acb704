#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Byte-level surgery on baseline JPEG streams, used to join horizontal bands
// that were encoded separately (with a restart marker at every MCU row and
// identical tables) into one image with a single scan.
namespace Jpeg {

struct StreamLayout
{
    std::size_t scanStart = 0; // first byte of entropy-coded data, just past the SOS segment
    std::size_t scanEnd = 0; // the EOI marker that closes the stream
    std::size_t heightOffset = 0; // the frame header's 16-bit image height
};

// Finds the frame header and the scan of a stream that libjpeg wrote:
// SOI, marker segments up to and including one SOS, the scan, EOI.
// Nothing when the bytes do not have that shape.
std::optional<StreamLayout> parseStream(std::span<const std::uint8_t> stream);

// Rewrites the restart markers RST0-RST7 in entropy-coded data so that the
// first one becomes RST(offset mod 8) and the rest continue from it. Stuffed
// bytes (0xFF 0x00) are data and stay as they are.
void renumberRestarts(std::span<std::uint8_t> scan, unsigned offset);

// The two bytes of restart marker RSTn, n taken modulo 8.
inline std::uint8_t restartMarkerCode(unsigned n)
{
    return std::uint8_t(0xD0 + (n & 7));
}

void writeHeight(std::span<std::uint8_t> stream, const StreamLayout &layout, std::uint16_t height);

} // namespace Jpeg
