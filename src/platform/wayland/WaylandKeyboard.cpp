#include "platform/wayland/WaylandKeyboard.h"

HotkeyBackend::Result WaylandHotkeyBackend::grab(quint32, const std::vector<int> &, KeyModifiers)
{
    return Result::invalid;
}

void WaylandHotkeyBackend::ungrab(quint32) { }

void WaylandHotkeyBackend::setCallback(Callback) { }

std::optional<QString> WaylandKeyboardLayout::characterForKey(int evdevCode)
{
    // The US layout's printing keys, by evdev code: what most layouts'
    // Latin level prints on the keys shortcuts use.
    static const char *const rows[] = {
        "\0\0" "1234567890-=\0\0" "qwertyuiop[]\0\0" "asdfghjkl;'`\0\\" "zxcvbnm,./",
    };
    static const QByteArray table(rows[0], 2 + 14 + 14 + 14 + 10);
    if (evdevCode < 0 || evdevCode >= table.size() || table.at(evdevCode) == '\0')
        return std::nullopt;
    return QString(QChar::fromLatin1(table.at(evdevCode)));
}

std::optional<PhysicalKeyEvent> WaylandKeyboardLayout::decodeKeyEvent(quint32 nativeScanCode, quint32 nativeModifiers)
{
    if (nativeScanCode < 8)
        return std::nullopt;
    // XKB's standard masks: Shift, Control, Mod1 (Alt), Mod4 (Super).
    const KeyModifiers modifiers{(nativeModifiers & 0x01) != 0, (nativeModifiers & 0x04) != 0,
        (nativeModifiers & 0x08) != 0, (nativeModifiers & 0x40) != 0};
    return PhysicalKeyEvent{int(nativeScanCode) - 8, modifiers};
}
