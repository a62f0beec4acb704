#pragma once

#include <QImage>

#include <cstdint>
#include <memory>
#include <span>

// One horizontal band of a JPEG image, encoded by libjpeg-turbo into a
// memory buffer of its own, so that bands can be encoded in parallel and
// spliced into one file (see Jpeg::parseStream). The compressor and the
// buffer are kept and reused by the next image.
class JpegBand
{
public:
    struct Rows
    {
        int first = 0;
        int count = 0;
    };

    struct Settings
    {
        int quality = 90; // libjpeg's 0-100 scale
        bool restartEveryRow = false; // a restart marker after every MCU row, so that bands can be joined
        std::span<const std::uint8_t> iccProfile; // written only when not empty
    };

    JpegBand();
    ~JpegBand();
    JpegBand(const JpegBand &) = delete;
    JpegBand &operator=(const JpegBand &) = delete;

    // Encodes rows of `image` as a complete baseline JPEG stream whose height
    // is the band's. The image must be Format_RGB32, ARGB32 or
    // ARGB32_Premultiplied: its bytes are read as they are, alpha ignored.
    // False if libjpeg refused (dimensions out of range) or memory ran out.
    bool encode(const QImage &image, Rows rows, const Settings &settings);

    // The stream of the last successful encode. Writable so that the band
    // can be patched in place before it is spliced.
    std::span<std::uint8_t> stream();

    // Frees the output buffer when its capacity exceeds `bytes`.
    void releaseBuffersAbove(std::size_t bytes);

    struct Compressor; // libjpeg's state, kept out of this header

private:
    bool run(const QImage &image, Rows rows, const Settings &settings);

    std::unique_ptr<Compressor> m_compressor;
    std::size_t m_outSize = 0;
};
