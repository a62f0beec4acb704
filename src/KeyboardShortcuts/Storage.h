#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QList>

namespace KeyboardShortcuts {

// Stored shortcuts live in the defaults store under "KeyboardShortcuts_" +
// the name, as compact JSON text, or as false when the user cleared a name
// that has a default. Every change posts this notification, with the Name
// under "name" in its user info.
inline constexpr char shortcutByNameDidChange[] = "KeyboardShortcuts_shortcutByNameDidChange";
inline constexpr char storageKeyPrefix[] = "KeyboardShortcuts_";

QString storageKey(const Name &name);

// Whether anything at all is stored for the name, the false marker included.
bool hasStoredValue(const Name &name);
// The stored shortcut; anything that does not decode reads as none.
std::optional<Shortcut> readShortcut(const Name &name);
// Stores (or clears, with none) the name's shortcut and keeps the
// registered hotkeys in step.
void writeShortcut(const std::optional<Shortcut> &shortcut, const Name &name);
// Back to each name's default, or to no shortcut.
void resetShortcuts(const QList<Name> &names);
// Removes every stored shortcut; false markers stay.
void resetAllShortcuts();

} // namespace KeyboardShortcuts
