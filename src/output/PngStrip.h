#pragma once

#include "output/PngRows.h"

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

struct isal_zstream;

// Bytes that a resize leaves uninitialised: the band's buffers are written
// before they are read, and pages the compressor never writes (most of the
// room kept for incompressible data) are never touched.
template <typename T>
struct UninitialisedAllocator : std::allocator<T>
{
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U> &) noexcept
    {
    }
    template <typename U>
    struct rebind
    {
        using other = UninitialisedAllocator<U>;
    };
    template <typename U>
    void construct(U *place) noexcept
    {
        ::new (static_cast<void *>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U *place, Args &&...args)
    {
        ::new (static_cast<void *>(place)) U(std::forward<Args>(args)...);
    }
};
using RawBytes = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

// One horizontal band of a PNG image, filtered and compressed on its own so
// that bands can be encoded in parallel. Each band is raw DEFLATE that ends
// on a byte boundary without the final-block bit (except the last band), so
// the bands concatenate into one valid zlib stream. Its buffers are kept and
// reused by the next image.
class PngStrip
{
public:
    struct Rows
    {
        int first = 0;
        int count = 0;
        bool last = false; // the band that ends the image and the stream
    };

    PngStrip();
    ~PngStrip();
    PngStrip(const PngStrip &) = delete;
    PngStrip &operator=(const PngStrip &) = delete;

    // Filters and compresses the rows; false if the compressor failed.
    // `level` is igzip's compression level (0 to 3).
    bool encode(const Png::Source &source, Rows rows, Png::Filter filter, int level);

    // Makes the buffers for a band of `filteredBytes` ready, their pages
    // handed over by the kernel now rather than in the middle of an encode.
    void reserve(std::size_t filteredBytes, int level);
    // Frees every working buffer whose capacity exceeds `bytes`.
    void releaseBuffersAbove(std::size_t bytes);

    std::span<const std::uint8_t> compressed() const { return {m_out.data(), m_outSize}; }
    // Adler-32 of the filtered (uncompressed) bytes of this band.
    std::uint32_t adler() const { return m_adler; }
    std::size_t filteredSize() const { return m_filtered.size(); }

private:
    void filterRows(const Png::Source &source, Rows rows, Png::Filter filter);
    bool deflate(int level, bool last);

    RawBytes m_previous;
    RawBytes m_current;
    RawBytes m_filtered;
    RawBytes m_out;
    std::size_t m_outSize = 0;
    std::vector<std::uint8_t> m_levelBuffer;
    std::unique_ptr<isal_zstream> m_stream;
    std::uint32_t m_adler = 1;
};
