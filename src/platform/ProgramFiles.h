#pragma once

#include <QString>

// Quillet is two files: the `quillet` command, which users, launchers and
// desktop shortcuts run, and the program it becomes when no Quillet runs
// yet. The command links QtCore and QtDBus only, so that handing a capture
// to the running Quillet costs a shortcut a few milliseconds rather than
// the loading of Qt's widgets; the program holds everything else.
namespace ProgramFiles {

// Set by the command for the program it starts: the command's own path.
inline constexpr char commandVariable[] = "QUILLET_COMMAND";

// The program that belongs to the command at `commandPath`: beside it as
// installed (bin/ and libexec/quillet/ under one prefix) or as built (the
// command at the top of the build folder). Empty when there is none, as for
// an AppImage, which is one file.
QString programFor(const QString &commandPath);

// The module that holds the Wayland backends, which the program loads only
// in a Wayland session; it lies beside the program.
inline constexpr char waylandModuleName[] = "quillet-wayland.so";
QString waylandModuleBeside(const QString &programPath);

// The command to name wherever this running program must be started again:
// the launcher entry, login items, desktop shortcuts. Taken once from what
// the command passed (and removed, so the programs Quillet opens do not
// inherit it), else the AppImage, else this program itself.
QString command();

} // namespace ProgramFiles
