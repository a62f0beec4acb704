#pragma once

#include <QImage>

class QIODevice;

// Encodes images as PNG. One writer is kept for the life of the file service
// so that its working buffers are reused between captures.
//
// Takes any image the grabber or the stitcher produces: opaque images are
// written as RGB, images with alpha as non-premultiplied RGBA.
class PngWriter
{
public:
    PngWriter();
    ~PngWriter();
    PngWriter(const PngWriter &) = delete;
    PngWriter &operator=(const PngWriter &) = delete;

    // Writes the whole PNG stream to `device`; false if the image is null or
    // the device refuses a write.
    bool write(const QImage &image, QIODevice &device);
};
