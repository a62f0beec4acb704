#pragma once

#include "app/CommandLine.h"

#include <QStringList>

#include <optional>

// What a start of Quillet does before it needs a display: answer --help,
// --version and a mistyped argument, and hand a request to the Quillet that
// already runs. Uses QtCore and QtDBus only, like the `quillet` command
// that a desktop shortcut runs.
namespace Forwarding {

QStringList argumentsOf(int argc, char **argv);

// The exit status when the command line alone answers, else nothing.
std::optional<int> answerWithoutRunning(const CommandLine &line);

// Both of the above in turn: the exit status when this process is done,
// nothing when it is to become the running Quillet.
std::optional<int> settle(const CommandLine &line);

// Hands the request to the Quillet that already runs, if any: a capture, or
// for a plain start its window. Returns the exit status, or nothing when
// this process is to become the running Quillet itself.
std::optional<int> handToRunningQuillet(const CommandLine &line);

} // namespace Forwarding
