#include "app/CaptureKinds.h"
#include "app/CaptureMode.h"
#include "app/ImageFormat.h"

namespace CaptureModes {

QString rawValue(CaptureMode mode)
{
    return QLatin1String(captureKind(mode).rawValue);
}

std::optional<CaptureMode> fromRawValue(const QString &raw)
{
    for (CaptureMode mode : allCases) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

} // namespace CaptureModes

namespace ImageFormats {

QString rawValue(ImageFormat format)
{
    switch (format) {
    case ImageFormat::png:
        return QStringLiteral("png");
    case ImageFormat::jpeg:
        return QStringLiteral("jpeg");
    }
    return {};
}

std::optional<ImageFormat> fromRawValue(const QString &raw)
{
    for (ImageFormat format : allCases) {
        if (rawValue(format) == raw)
            return format;
    }
    return std::nullopt;
}

} // namespace ImageFormats
