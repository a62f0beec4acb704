#pragma once

#include <QString>

namespace KeyboardShortcuts {

// The library's own texts, looked up by key ("record_shortcut", …). An
// unknown key gives the key itself, so a missing text shows up plainly.
QString localizedString(const char *key);

// First letter upper case; digits, symbols and the rest unchanged.
QString capitalized(const QString &text);

} // namespace KeyboardShortcuts
