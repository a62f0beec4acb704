#pragma once

#include <QString>

#include <array>
#include <optional>

// The output encodings. The raw value is also the file extension
// ("jpeg", never "jpg").
enum class ImageFormat { png, jpeg };

namespace ImageFormats {

inline constexpr std::array<ImageFormat, 2> allCases{ImageFormat::png, ImageFormat::jpeg};

QString rawValue(ImageFormat format);
inline QString fileExtension(ImageFormat format) { return rawValue(format); }
// Exact, case-sensitive match of a raw value; nothing for any other text.
std::optional<ImageFormat> fromRawValue(const QString &raw);

} // namespace ImageFormats
