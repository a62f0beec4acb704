#pragma once

#include "KeyboardShortcuts/Name.h"
#include "app/CaptureMode.h"
#include "platform/HotkeyBackend.h"

#include <QString>

// The global shortcut of each capture mode. Making one declares it with its
// default (Shift+Alt+Super with 4, 5, 3 and 6), which is stored the first
// time only: the user's later choice, "none" included, is kept.
namespace CaptureShortcuts {

KeyboardShortcuts::Name name(CaptureMode mode);

// Where the desktop binds the shortcuts itself, what it runs for each: the
// binding's title ("Quillet: Capture Region") and the arguments that make
// the running Quillet capture. Nothing for a name that is not a capture's.
std::optional<HotkeyBackend::Command> desktopCommand(const KeyboardShortcuts::Name &name);

// Every registration's commands, for the platform's hotkey backend.
HotkeyBackend::CommandSource commandSource();

} // namespace CaptureShortcuts
