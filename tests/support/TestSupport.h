#pragma once

#include <QProcess>
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

// Runs xdotool to completion; returns whether it succeeded.
bool xdotool(const QStringList &arguments);

// A window of another process: a helper program that prints its window id
// ("0x…") once shown. The process is killed when this goes.
class HelperWindow
{
public:
    HelperWindow(const QString &program, const QStringList &arguments);
    ~HelperWindow();
    bool hasFocus() const;
    // Waits until the window holds the keyboard focus.
    bool waitForFocus() const;

    quint32 id = 0;

private:
    QProcess m_process;
};

// The private HOME that the test main made for this process.
QString testHome();

} // namespace TestSupport
