#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// Keys shown by their name instead of the character a layout gives them.
enum class SpecialKey {
    returnKey,
    deleteKey,
    deleteForward,
    end,
    escape,
    help,
    home,
    space,
    tab,
    pageUp,
    pageDown,
    upArrow,
    rightArrow,
    downArrow,
    leftArrow,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10,
    f11, f12, f13, f14, f15, f16, f17, f18, f19, f20,
    keypad0, keypad1, keypad2, keypad3, keypad4,
    keypad5, keypad6, keypad7, keypad8, keypad9,
    keypadClear,
    keypadDecimal,
    keypadDivide,
    keypadEnter,
    keypadEquals,
    keypadMinus,
    keypadMultiply,
    keypadPlus,
};

// Key code → special key, for exactly the 53 special keys.
const QHash<qint64, SpecialKey> &specialKeysByKeyCode();

// The name a shortcut's text gives the key, e.g. "Return", "F1" or "Left".
QString presentableDescription(SpecialKey key);

// The key as a menu item states its key equivalent; none for keypad keys,
// which never match a menu item.
std::optional<QString> menuKeyEquivalent(SpecialKey key);

} // namespace KeyboardShortcuts
