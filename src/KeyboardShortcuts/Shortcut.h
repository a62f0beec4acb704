#pragma once

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/ModifierFlags.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <optional>

class QEvent;

namespace KeyboardShortcuts {

// A key combination: a Carbon virtual key code and Carbon modifier bits.
struct Shortcut
{
    qint64 carbonKeyCode = 0;
    qint64 carbonModifiers = 0;

    Shortcut() = default;
    // How an application states a shortcut, e.g. a default.
    Shortcut(Key key, ModifierFlags modifiers = {});

    // From Carbon integers; unknown modifier bits are dropped.
    static Shortcut fromCarbon(qint64 carbonKeyCode, qint64 carbonModifiers);
    // From a key press or release; any other event gives none. The
    // function flag never ends up in a shortcut made this way.
    static std::optional<Shortcut> fromEvent(const QEvent *event);
    // From {"carbonKeyCode":…, "carbonModifiers":…}, members in either order,
    // keeping the integers exactly as stored.
    static std::optional<Shortcut> fromJson(const QByteArray &json);

    // Compact JSON text, "carbonKeyCode" first.
    QByteArray toJson() const;

    Key key() const { return Key{carbonKeyCode}; }
    ModifierFlags modifiers() const { return KeyboardShortcuts::fromCarbon(carbonModifiers); }

    // The text a person reads, e.g. "Shift+Alt+Super+4" (see KeyNames.h).
    QString description() const;

    friend bool operator==(const Shortcut &, const Shortcut &) = default;

private:
    Shortcut(qint64 keyCode, qint64 modifiers, int /*raw*/)
        : carbonKeyCode(keyCode)
        , carbonModifiers(modifiers)
    {
    }
};

size_t qHash(const Shortcut &shortcut, size_t seed = 0) noexcept;

// The character the user's ASCII-capable layout prints for the key with no
// modifiers; none for special keys and keys without a readable one.
std::optional<QString> characterForKeyCode(qint64 keyCode);

} // namespace KeyboardShortcuts

template <>
struct std::hash<KeyboardShortcuts::Shortcut>
{
    size_t operator()(const KeyboardShortcuts::Shortcut &shortcut) const noexcept
    {
        return KeyboardShortcuts::qHash(shortcut);
    }
};

Q_DECLARE_METATYPE(KeyboardShortcuts::Shortcut)
