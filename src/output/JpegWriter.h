#pragma once

#include "output/JpegSplice.h"

#include <QImage>

#include <memory>
#include <optional>
#include <vector>

class QIODevice;
class QThreadPool;
class JpegBand;

// Encodes images as baseline JPEG (4:2:0, standard Huffman tables, JFIF)
// through libjpeg-turbo. One writer is kept for the life of the file service
// so that its compressors and buffers are reused between captures.
//
// A large image is cut into horizontal bands whose heights are whole MCU
// rows; the bands are encoded in parallel with a restart marker after every
// MCU row, which resets the only state that crosses rows (the DC
// predictions), and their scans are joined into one with the markers
// renumbered. A small image is encoded in one piece without restart markers.
//
// Pixels are read as Qt's JPEG writer reads them: alpha is ignored, so an
// ARGB32_Premultiplied image (what compositing produces) comes out flattened
// onto black, and every other format shows its straight colours as if opaque.
class JpegWriter
{
public:
    struct Options
    {
        int bands = 0; // 0 chooses from the thread count and the image size
        int threads = 0; // 0: one per core
    };

    JpegWriter();
    explicit JpegWriter(Options options);
    ~JpegWriter();
    JpegWriter(const JpegWriter &) = delete;
    JpegWriter &operator=(const JpegWriter &) = delete;

    // Writes the whole JPEG stream to `device`. `quality` is libjpeg's
    // 0-100 scale (clamped; 0 encodes as 1). False if the image is null or
    // larger than JPEG allows (65500 pixels a side), memory runs out, or the
    // device refuses a write.
    bool write(const QImage &image, int quality, QIODevice &device);
    // Why the last write failed, in words for the user.
    QString errorString() const { return m_error; }
    // Frees the compressors and buffers kept for the next image.
    void releaseBuffers();

    // The image in one of the three formats that the bands read directly
    // (RGB32, ARGB32, ARGB32_Premultiplied), converted only if needed.
    static QImage prepareSource(const QImage &image);

private:
    int bandCountFor(const QImage &source) const;
    bool encodeBands(const QImage &source, int count, int quality);
    bool writeStream(const QImage &source, int count, QIODevice &device);

    Options m_options;
    std::unique_ptr<QThreadPool> m_pool;
    std::vector<std::unique_ptr<JpegBand>> m_bands;
    std::vector<std::optional<Jpeg::StreamLayout>> m_layouts;
    QString m_error;
};
