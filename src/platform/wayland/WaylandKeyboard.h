#pragma once

#include "platform/HotkeyBackend.h"
#include "platform/KeyboardLayout.h"

// A Wayland client cannot grab keys: every combination is refused as one
// the platform cannot express, so the registration says so.
class WaylandHotkeyBackend : public HotkeyBackend
{
public:
    Result grab(quint32 id, const std::vector<int> &evdevCodes, KeyModifiers modifiers) override;
    void ungrab(quint32 id) override;
    void setCallback(Callback callback) override;
};

// Key events of Qt's wayland platform: the native scan code is the XKB
// keycode (evdev + 8) and the native modifiers are XKB's modifier mask.
class WaylandKeyboardLayout : public KeyboardLayout
{
public:
    std::optional<QString> characterForKey(int evdevCode) override;
    std::optional<PhysicalKeyEvent> decodeKeyEvent(quint32 nativeScanCode, quint32 nativeModifiers) override;
};
