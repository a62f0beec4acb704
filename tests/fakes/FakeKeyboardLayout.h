#pragma once

#include "platform/KeyboardLayout.h"

#include <QHash>

// A US layout over a few keys, and the usual X modifier bits (Shift 0x1,
// Control 0x4, Alt on Mod1 0x8, Super on Mod4 0x40) with scan code = evdev + 8.
class FakeKeyboardLayout : public KeyboardLayout
{
public:
    static constexpr quint32 shiftMask = 0x1;
    static constexpr quint32 lockMask = 0x2;
    static constexpr quint32 controlMask = 0x4;
    static constexpr quint32 altMask = 0x8;
    static constexpr quint32 superMask = 0x40;

    QHash<int, QString> characters{
        {30, QStringLiteral("a")}, {16, QStringLiteral("q")}, {40, QStringLiteral("'")},
        {2, QStringLiteral("1")},  {4, QStringLiteral("3")}, {5, QStringLiteral("4")}, {6, QStringLiteral("5")}, {7, QStringLiteral("6")},  {57, QStringLiteral(" ")},
        {28, QStringLiteral("\r")}, // a layout may print something even for special keys
    };

    std::optional<QString> characterForKey(int evdevCode) override
    {
        const auto it = characters.constFind(evdevCode);
        if (it == characters.cend())
            return std::nullopt;
        return *it;
    }

    std::optional<PhysicalKeyEvent> decodeKeyEvent(quint32 scanCode, quint32 state) override
    {
        if (scanCode < 8)
            return std::nullopt;
        return PhysicalKeyEvent{int(scanCode) - 8,
                                KeyModifiers{bool(state & shiftMask), bool(state & controlMask),
                                             bool(state & altMask), bool(state & superMask)}};
    }
};
