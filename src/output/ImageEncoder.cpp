#include "output/ImageEncoder.h"

#include <algorithm>
#include <cmath>

bool StandardImageEncoder::encode(
    const QImage &image, ImageFormat format, double jpegQuality, QIODevice &device)
{
    if (image.isNull())
        return false;
    switch (format) {
    case ImageFormat::png:
        return m_pngWriter.write(image, device);
    case ImageFormat::jpeg:
        return m_jpegWriter.write(image, jpegQualityPercent(jpegQuality), device);
    }
    return false;
}

int StandardImageEncoder::jpegQualityPercent(double fraction)
{
    if (std::isnan(fraction))
        return 90; // the default quality, as for a value that cannot be read
    return static_cast<int>(std::clamp(std::round(fraction * 100.0), 0.0, 100.0));
}
