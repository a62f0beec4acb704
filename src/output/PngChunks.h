#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

class QIODevice;

// The PNG container around the compressed image data.
namespace Png {

// Writes the 8-byte signature and the IHDR chunk of an 8-bit RGB (3
// channels) or RGBA (4 channels) image.
bool writeHeader(QIODevice &device, std::uint32_t width, std::uint32_t height, int channels);

// Writes one chunk whose data is the concatenation of `parts`, with its
// length and CRC-32. False if the device refuses a write.
bool writeChunk(
    QIODevice &device, const char (&type)[5], std::initializer_list<std::span<const std::uint8_t>> parts);

bool writeEnd(QIODevice &device);

// Adler-32 of the concatenation A·B from adler(A), adler(B) and B's length.
std::uint32_t adler32Combine(std::uint32_t adlerA, std::uint32_t adlerB, std::uint64_t lengthB);

// CRC-32 as used by PNG and gzip, continuing from `crc` (0 to start).
std::uint32_t crc32(std::uint32_t crc, std::span<const std::uint8_t> data);

} // namespace Png
