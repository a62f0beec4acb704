#include "output/PngChunks.h"

#include <QIODevice>

#include <isa-l/crc.h>

#include <array>

namespace Png {
namespace {

std::array<std::uint8_t, 4> bigEndian(std::uint32_t value)
{
    return {
        std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
}

bool writeAll(QIODevice &device, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return true;
    return device.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()))
        == qint64(bytes.size());
}

} // namespace

std::uint32_t crc32(std::uint32_t crc, std::span<const std::uint8_t> data)
{
    return crc32_gzip_refl(crc, data.data(), data.size());
}

bool writeChunk(
    QIODevice &device, const char (&type)[5], std::initializer_list<std::span<const std::uint8_t>> parts)
{
    std::uint64_t length = 0;
    for (auto part : parts)
        length += part.size();
    if (length > 0x7fffffffu)
        return false;
    const auto typeBytes = std::span(reinterpret_cast<const std::uint8_t *>(type), 4);
    std::uint32_t crc = crc32(0, typeBytes);
    for (auto part : parts)
        crc = crc32(crc, part);
    if (!writeAll(device, bigEndian(std::uint32_t(length))) || !writeAll(device, typeBytes))
        return false;
    for (auto part : parts) {
        if (!writeAll(device, part))
            return false;
    }
    return writeAll(device, bigEndian(crc));
}

bool writeHeader(QIODevice &device, std::uint32_t width, std::uint32_t height, int channels)
{
    static constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const auto w = bigEndian(width);
    const auto h = bigEndian(height);
    const std::uint8_t colourType = channels == 4 ? 6 : 2; // truecolour with alpha : truecolour
    // Bit depth 8, then colour type, deflate compression, adaptive filtering, no interlace.
    const std::array<std::uint8_t, 13> ihdr{
        w[0], w[1], w[2], w[3], h[0], h[1], h[2], h[3], 8, colourType, 0, 0, 0};
    return writeAll(device, signature) && writeChunk(device, "IHDR", {ihdr});
}

bool writeEnd(QIODevice &device)
{
    return writeChunk(device, "IEND", {});
}

std::uint32_t adler32Combine(std::uint32_t adlerA, std::uint32_t adlerB, std::uint64_t lengthB)
{
    // Adler-32 keeps a = 1 + Σ bytes and b = Σ of a after each byte (mod 65521).
    // Appending B adds B's bytes to a, and to b it adds B's own b plus
    // lengthB times the a that A left over (less the initial 1 counted in B).
    constexpr std::uint64_t base = 65521;
    const std::uint64_t aA = adlerA & 0xffff, bA = adlerA >> 16;
    const std::uint64_t aB = adlerB & 0xffff, bB = adlerB >> 16;
    const std::uint64_t a = (aA + aB + base - 1) % base;
    const std::uint64_t b = (bA + bB + (lengthB % base) * ((aA + base - 1) % base)) % base;
    return std::uint32_t(b << 16 | a);
}

} // namespace Png
