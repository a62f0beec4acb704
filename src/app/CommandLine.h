#pragma once

#include "app/CaptureMode.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the user asked of this process on the command line. Parsed before any
// display is opened, so that --help, --version and a mistyped argument are
// answered without X11.
struct CommandLine
{
    enum class Action { run, help, version, refuse };

    Action action = Action::run;
    // Set with --capture: the capture to start in the running Quillet.
    std::optional<CaptureMode> capture;
    int delaySeconds = 0;
    // Set with --settings: show the settings window (the onboarding while it
    // is not completed), in a Quillet started for it if none runs. A plain
    // start while Quillet runs shows it too.
    bool settings = false;
    // The help or version text, or the one-line reason for refusing.
    QString text;

    static CommandLine parse(const QStringList &arguments);
};

// Exit status for arguments we refuse, as command-line tools use it.
inline constexpr int commandLineUsageError = 2;
