#pragma once

#include "platform/KeyboardLayout.h"

#include <QHash>

// A US layout over a few keys, and the usual X modifier bits (Shift 0x1,
// Control 0x4, Alt on Mod1 0x8, Super on Mod4 0x40) with scan code = evdev + 8.
class FakeKeyboardLayout : public KeyboardLayout
{
public:
    static constexpr quint32 shiftMask = 0x1, lockMask = 0x2, controlMask = 0x4, altMask = 0x8,
                             superMask = 0x40;

    // A layout may print something even for special keys (28, Return).
    QHash<int, QString> characters{{30, "a"}, {16, "q"}, {40, "'"}, {37, "k"}, {12, "ß"}, {2, "1"}, {4, "3"},
        {5, "4"}, {6, "5"}, {7, "6"}, {57, " "}, {28, "\r"}};

    std::optional<QString> characterForKey(int evdevCode) override
    {
        return characters.contains(evdevCode) ? std::optional(characters.value(evdevCode)) : std::nullopt;
    }
    std::optional<PhysicalKeyEvent> decodeKeyEvent(quint32 scanCode, quint32 state) override
    {
        if (scanCode < 8)
            return std::nullopt;
        return PhysicalKeyEvent{int(scanCode) - 8,
            KeyModifiers{bool(state & shiftMask), bool(state & controlMask), bool(state & altMask),
                bool(state & superMask)}};
    }
};
