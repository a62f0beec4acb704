#pragma once

#include <QString>

#include <xkbcommon/xkbcommon.h>

#include <optional>

// What a key prints for a keysym, as one character: dead keys give the
// accent they put on the next letter; control characters and keysyms that
// give more than one character give nothing.
std::optional<QString> xkbKeysymText(xkb_keysym_t keysym);
