#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

namespace KeyboardShortcuts {

// Carbon key codes name positions on a Mac keyboard; Linux numbers the same
// physical keys with evdev codes. This table joins the two.

// The evdev codes of the keys that produce this key code, the key of that
// name first: Help, F13, F14, F15 and Keypad Clear share their code with
// the PC key in their place (Insert, Print Screen, Scroll Lock, Pause, Num
// Lock), as on a PC keyboard attached to a Mac. Empty when no key has it.
std::vector<int> evdevCodesForKeyCode(qint64 keyCode);

// The key code of a physical key; none for keys a Mac keyboard lacks.
std::optional<qint64> keyCodeForEvdevCode(int evdevCode);

} // namespace KeyboardShortcuts
