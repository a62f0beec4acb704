#pragma once

#include <QJsonObject>
#include <QString>

#include <chrono>
#include <functional>

namespace TestSupport {

// Processes events until the condition holds or the deadline passes; returns
// whether it held. Deadlines are generous: a slow machine only waits longer.
bool waitUntil(
    const std::function<bool()> &condition, std::chrono::milliseconds deadline = std::chrono::seconds(20));

// A file's bytes, or "(unreadable)", so that a missing file never passes for
// an empty one; and its JSON object, empty if it holds none.
QByteArray readFile(const QString &path);
QJsonObject readJsonFile(const QString &path);
// Writes the whole of `bytes` to `path`, making its folder first.
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);

// Runs a program to completion and returns its standard output (empty on failure).
QByteArray runProgram(const QString &program, const QStringList &arguments, int *exitCode = nullptr);

} // namespace TestSupport
