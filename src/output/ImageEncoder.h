#pragma once

#include "app/ImageFormat.h"
#include "output/JpegWriter.h"
#include "output/PngWriter.h"

#include <QString>
#include <QTimer>

class QImage;
class QIODevice;

// Turns an image into the bytes of one image file.
class ImageEncoder
{
public:
    virtual ~ImageEncoder() = default;
    // Writes the complete file to `device`; false when encoding or writing
    // fails. `jpegQuality` is a fraction, 1.0 the best; PNG ignores it.
    virtual bool encode(const QImage &image, ImageFormat format, double jpegQuality, QIODevice &device) = 0;
    // Why the last encode failed, in words for the user; empty when unknown.
    virtual QString errorString() const { return {}; }
    // An image of about `size` is coming soon: ready what encoding it needs.
    virtual void prepare(const QSize &size, ImageFormat format)
    {
        Q_UNUSED(size);
        Q_UNUSED(format);
    }
};

// PNG and JPEG through the project's own writers. Their working buffers
// (some MiB for a screen) serve a burst of captures and are freed once no
// image came for a while, so that an idle tray program stays small.
class StandardImageEncoder : public ImageEncoder
{
public:
    static constexpr int ReleaseBuffersAfterMs = 2000;

    StandardImageEncoder();
    bool encode(const QImage &image, ImageFormat format, double jpegQuality, QIODevice &device) override;
    QString errorString() const override { return m_error; }
    void prepare(const QSize &size, ImageFormat format) override;
    // What the encoder does once no image came for ReleaseBuffersAfterMs.
    void releaseBuffers();

    // The encoder's 0-100 scale: the fraction rounded, clamped so that a
    // stored quality out of range still encodes.
    static int jpegQualityPercent(double fraction);

private:
    PngWriter m_pngWriter;
    JpegWriter m_jpegWriter;
    QString m_error;
    QTimer m_releaseBuffers;
};
