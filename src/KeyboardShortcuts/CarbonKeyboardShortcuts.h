#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <functional>

namespace KeyboardShortcuts::CarbonKeyboardShortcuts {

// The lower hotkey layer. It registers shortcuts (Carbon key codes and
// modifier bits) with the hotkey backend, each under a fresh id, and calls
// the callbacks of the matching registration on press and release. While
// one of our menus is open it holds the keyboard, so the grabs are paused
// and the key events our application receives are matched instead. While a
// recorder records they are paused too, so that the recorder sees every
// combination, ours included.

using Callback = std::function<void(const Shortcut &)>;

// Statuses, in Carbon's numbering, as the error line prints them.
inline constexpr int noErr = 0;
inline constexpr int eventHotKeyExistsErr = -9878;
inline constexpr int eventHotKeyInvalidErr = -9879;

void registerHotKey(const Shortcut &shortcut, Callback onKeyDown, Callback onKeyUp);
void unregisterHotKey(const Shortcut &shortcut);

// Grabs, pauses or releases every registration to match hotkeysEnabled,
// isMenuOpen and isRecorderActive.
void applyEventHandlerState();

// A key event seen while a menu is open: a press runs the first
// registration with this key code and these (normalised) modifiers, a
// release the registration its press ran, whatever modifiers remain.
// Returns whether one matched, in which case the event is consumed.
bool handleRawKeyEvent(const Shortcut &event, bool isKeyDown);

// The ids of the live registrations, in order.
std::vector<qint64> hotKeyIds();

} // namespace KeyboardShortcuts::CarbonKeyboardShortcuts
