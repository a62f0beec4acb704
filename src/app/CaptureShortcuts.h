#pragma once

#include "KeyboardShortcuts/Name.h"
#include "app/CaptureMode.h"

// The global shortcut of each capture mode. Making one declares it with its
// default (Shift+Alt+Super with 4, 5, 3 and 6), which is stored the first
// time only: the user's later choice, "none" included, is kept.
namespace CaptureShortcuts {

KeyboardShortcuts::Name name(CaptureMode mode);

} // namespace CaptureShortcuts
