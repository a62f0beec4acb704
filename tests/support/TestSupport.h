#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace TestSupport {

// Processes events until the condition holds or the deadline passes; returns
// whether it held. Deadlines are generous: a slow machine only waits longer.
bool waitUntil(
    const std::function<bool()> &condition, std::chrono::milliseconds deadline = std::chrono::seconds(20));

// Runs a program to completion and returns its standard output (empty on failure).
QByteArray runProgram(const QString &program, const QStringList &arguments, int *exitCode = nullptr);

} // namespace TestSupport
