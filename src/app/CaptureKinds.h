#pragma once

#include "KeyboardShortcuts/Key.h"
#include "app/CaptureMode.h"

#include <array>

// What each kind of capture is called wherever the shell names it: its word
// on the command line, its method on the session bus, its item in the tray
// menu and its shortcut in the store. Listed in the menu's order.
struct CaptureKind
{
    CaptureMode mode;
    const char *rawValue;
    const char *busMethod;
    const char *menuTitle;
    // The store's name of the shortcut, and its key with Shift+Alt+Super.
    const char *shortcutName;
    KeyboardShortcuts::Key defaultKey;
};

inline constexpr std::array<CaptureKind, 4> captureKinds{{
    {CaptureMode::region, "region", "CaptureRegion", "Capture Region", "captureRegion",
        KeyboardShortcuts::Key::four},
    {CaptureMode::scroll, "scroll", "CaptureScroll", "Capture Scroll", "captureScroll",
        KeyboardShortcuts::Key::five},
    {CaptureMode::fullscreen, "fullscreen", "CaptureFullscreen", "Capture Fullscreen", "captureFullscreen",
        KeyboardShortcuts::Key::three},
    {CaptureMode::window, "window", "CaptureWindow", "Capture Window", "captureWindow",
        KeyboardShortcuts::Key::six},
}};

// The longest countdown before a capture that the command line and the bus
// accept: long enough for any set-up a user does first; a longer wait is
// almost surely a slip (a delay typed in milliseconds).
inline constexpr int maxCaptureDelaySeconds = 60;

constexpr const CaptureKind &captureKind(CaptureMode mode)
{
    for (const CaptureKind &kind : captureKinds) {
        if (kind.mode == mode)
            return kind;
    }
    return captureKinds.front();
}
