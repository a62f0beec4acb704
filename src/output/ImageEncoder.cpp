#include "output/ImageEncoder.h"

#include "platform/Allocator.h"

#include <algorithm>
#include <cmath>

StandardImageEncoder::StandardImageEncoder()
{
    m_releaseBuffers.setSingleShot(true);
    m_releaseBuffers.setInterval(ReleaseBuffersAfterMs);
    m_releaseBuffers.callOnTimeout([this] { releaseBuffers(); });
}

void StandardImageEncoder::releaseBuffers()
{
    m_pngWriter.releaseBuffers();
    m_jpegWriter.releaseBuffers();
    // The encoder is the last step of a capture: its quiet ends a burst of work.
    Allocator::returnFreePages();
}

void StandardImageEncoder::prepare(const QSize &size, ImageFormat format)
{
    // Ready buffers count as the start of a burst: they stay until its quiet.
    m_releaseBuffers.start();
    if (format == ImageFormat::png)
        m_pngWriter.prepare(size);
}

bool StandardImageEncoder::encode(
    const QImage &image, ImageFormat format, double jpegQuality, QIODevice &device)
{
    m_releaseBuffers.start();
    bool written = false;
    switch (format) {
    case ImageFormat::png:
        written = m_pngWriter.write(image, device);
        m_error = m_pngWriter.errorString();
        break;
    case ImageFormat::jpeg:
        written = m_jpegWriter.write(image, jpegQualityPercent(jpegQuality), device);
        m_error = m_jpegWriter.errorString();
        break;
    }
    return written;
}

int StandardImageEncoder::jpegQualityPercent(double fraction)
{
    if (std::isnan(fraction))
        return 90; // the default quality, as for a value that cannot be read
    return static_cast<int>(std::clamp(std::round(fraction * 100.0), 0.0, 100.0));
}
