#pragma once

#include "KeyboardShortcuts/ModifierFlags.h"

#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// How a person reads a shortcut on a Linux desktop: modifier words in one
// fixed order joined by "+", then the key, e.g. "Shift+Alt+Super+4".

// "Shift+", "Ctrl+", "Alt+", "Super+" and "Fn+", each only when set,
// always in this order.
QString modifierNames(ModifierFlags flags);

// The key's part of a shortcut's text: the Linux name of a key that prints
// nothing ("F5", "Print", "Escape", "Left"), else the character the user's
// layout prints for it, capitalized; where the layout prints nothing
// readable there, the character of the same position on a US keyboard.
// "\uFFFD" for a key code no keyboard has.
QString keyName(qint64 keyCode);

// Whether a character a layout gives for a key can name it: one visible,
// non-combining character that is not a placeholder.
bool isReadableKeyCharacter(const QString &character);

// What a US keyboard prints on the key, for the keys that print something.
std::optional<QString> usLayoutCharacter(qint64 keyCode);

} // namespace KeyboardShortcuts
