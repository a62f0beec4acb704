#pragma once

#include "output/PngRows.h"

#include <QFuture>
#include <QImage>

#include <memory>
#include <vector>

class QIODevice;
class QThreadPool;
class PngStrip;

// Encodes images as PNG. One writer is kept for the life of the file service
// so that its working buffers are reused between captures.
//
// Takes any image the grabber or the stitcher produces: opaque images are
// written as RGB, images with alpha as non-premultiplied RGBA.
//
// Qt's own PNG writer always runs zlib at level 6 with adaptive filtering,
// which makes it the slowest step of a capture. This one uses a single filter
// type and igzip's fast levels, and compresses horizontal bands of the image
// in parallel.
class PngWriter
{
public:
    struct Options
    {
        // Chosen by measurement on screen-like content (bench/EncodeBench):
        // unfiltered rows came out smallest there, since text and flat UI
        // compress as repeats and filters only amplify a photo's grain;
        // level 2 was smaller than 1 at about the same speed, level 3 slower.
        Png::Filter filter = Png::Filter::none;
        int level = 2; // igzip level, 0 (fastest) to 3
        int strips = 0; // bands compressed in parallel; 0 chooses from the thread count
        int threads = 0; // 0: one per core
    };

    PngWriter();
    explicit PngWriter(Options options);
    ~PngWriter();
    PngWriter(const PngWriter &) = delete;
    PngWriter &operator=(const PngWriter &) = delete;

    // Writes the whole PNG stream to `device`; false if the image is null or
    // the device refuses a write.
    bool write(const QImage &image, QIODevice &device);
    // Why the last write failed, in words for the user.
    QString errorString() const { return m_error; }
    // Readies the working buffers for an opaque image of `size` on a worker
    // thread, so that a write that follows soon finds them in place.
    void prepare(const QSize &size);
    // Frees the working buffers kept for the next image.
    void releaseBuffers();

private:
    int stripCountFor(std::size_t rowBytes, int height) const;
    bool encodeStrips(const Png::Source &source, int count);
    bool writeStream(const Png::Source &source, int count, QIODevice &device) const;

    Options m_options;
    std::unique_ptr<QThreadPool> m_pool;
    std::vector<std::unique_ptr<PngStrip>> m_strips;
    // The buffers being readied; a write or a release waits for them.
    QFuture<void> m_prepared;
    QString m_error;
};
