#pragma once

#include <QString>

#include <optional>

// Which of the four shortcut modifiers a key event's native state holds.
struct KeyModifiers
{
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool super = false;

    friend bool operator==(const KeyModifiers &, const KeyModifiers &) = default;
};

// A key event as the physical key and modifiers behind it.
struct PhysicalKeyEvent
{
    int evdevCode = 0;
    KeyModifiers modifiers;
};

// The user's keyboard: what its keys print and how its key events are coded.
class KeyboardLayout
{
public:
    virtual ~KeyboardLayout() = default;

    // The one character that the user's ASCII-capable layout prints for the
    // physical key (an evdev code) with no modifiers; dead keys give their
    // spacing form. None when the key prints nothing.
    virtual std::optional<QString> characterForKey(int evdevCode) = 0;

    // Decodes the native scan code and modifier state of a key event
    // (QKeyEvent::nativeScanCode / nativeModifiers); none when they are not
    // the platform's.
    virtual std::optional<PhysicalKeyEvent> decodeKeyEvent(quint32 nativeScanCode, quint32 nativeModifiers) = 0;
};
