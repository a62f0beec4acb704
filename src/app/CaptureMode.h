#pragma once

#include <QString>

#include <array>
#include <optional>

// The four kinds of capture. The raw value of each is its name as text.
enum class CaptureMode { region, scroll, fullscreen, window };

namespace CaptureModes {

inline constexpr std::array<CaptureMode, 4> allCases{CaptureMode::region, CaptureMode::scroll,
                                                     CaptureMode::fullscreen, CaptureMode::window};

QString rawValue(CaptureMode mode);
// Exact, case-sensitive match of a raw value; nothing for any other text.
std::optional<CaptureMode> fromRawValue(const QString &raw);

} // namespace CaptureModes
