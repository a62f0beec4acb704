#pragma once

#include <QtGlobal>

namespace KeyboardShortcuts {

// The key-event modifier flags a shortcut is stated in: one bit per
// modifier, in the numbering the Carbon conversions below expect.
struct ModifierFlags
{
    quint64 rawValue = 0;

    static const ModifierFlags capsLock;
    static const ModifierFlags shift;
    static const ModifierFlags control;
    static const ModifierFlags option;
    static const ModifierFlags command;
    static const ModifierFlags numericPad;
    static const ModifierFlags help;
    static const ModifierFlags function;

    constexpr bool contains(ModifierFlags other) const { return (rawValue & other.rawValue) == other.rawValue; }
    constexpr bool isEmpty() const { return rawValue == 0; }
    friend constexpr bool operator==(ModifierFlags, ModifierFlags) = default;
    friend constexpr ModifierFlags operator|(ModifierFlags a, ModifierFlags b) { return {a.rawValue | b.rawValue}; }
    friend constexpr ModifierFlags operator&(ModifierFlags a, ModifierFlags b) { return {a.rawValue & b.rawValue}; }
    constexpr ModifierFlags without(ModifierFlags other) const { return {rawValue & ~other.rawValue}; }
};

inline constexpr ModifierFlags ModifierFlags::capsLock{0x10000};
inline constexpr ModifierFlags ModifierFlags::shift{0x20000};
inline constexpr ModifierFlags ModifierFlags::control{0x40000};
inline constexpr ModifierFlags ModifierFlags::option{0x80000};
inline constexpr ModifierFlags ModifierFlags::command{0x100000};
inline constexpr ModifierFlags ModifierFlags::numericPad{0x200000};
inline constexpr ModifierFlags ModifierFlags::help{0x400000};
inline constexpr ModifierFlags ModifierFlags::function{0x800000};

// The Carbon modifier bits hotkey registration takes. Exactly these five are known.
namespace CarbonModifier {
inline constexpr qint64 cmdKey = 0x100;
inline constexpr qint64 shiftKey = 0x200;
inline constexpr qint64 optionKey = 0x800;
inline constexpr qint64 controlKey = 0x1000;
inline constexpr qint64 function = 0x20000;
} // namespace CarbonModifier

// Event flags to Carbon bits; every flag without a Carbon bit is dropped.
qint64 toCarbon(ModifierFlags flags);
// Carbon bits to event flags; every unknown Carbon bit is dropped.
ModifierFlags fromCarbon(qint64 carbonModifiers);
// Keeps only the five known Carbon bits.
inline qint64 normalizedCarbon(qint64 carbonModifiers)
{
    return toCarbon(fromCarbon(carbonModifiers));
}

} // namespace KeyboardShortcuts
