#pragma once

#include <QString>

#include <optional>

// Rules that turn a base name into a safe, unique file name in one folder.
namespace FileNames {

// The longest file name the file systems we write to accept, in bytes.
inline constexpr int maxFileNameBytes = 255;

// A given name made safe to use as one file name: "/" and NUL become "-".
// Nothing when what remains cannot name a file ("", "." or "..").
std::optional<QString> sanitized(const QString &name);

// "base.ext" for the first candidate, "base (n).ext" from n = 2 on. The base
// is shortened at a character boundary when the whole would not fit.
QString candidate(const QString &base, const QString &extension, int counter);

} // namespace FileNames
