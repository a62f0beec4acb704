#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// A named, persisted shortcut. Making a name with a default stores the
// default the first time, when nothing is stored for it yet; the user's
// later choice (including "no shortcut") is kept from then on.
struct Name
{
    QString rawValue;
    std::optional<Shortcut> defaultShortcut;

    Name() = default;
    explicit Name(QString rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);

    // The stored shortcut; assigning stores it, re-registers and notifies.
    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut> &shortcut) const;

    friend bool operator==(const Name &a, const Name &b) { return a.rawValue == b.rawValue; }
};

inline size_t qHash(const Name &name, size_t seed = 0) noexcept
{
    return ::qHash(name.rawValue, seed);
}

} // namespace KeyboardShortcuts

Q_DECLARE_METATYPE(KeyboardShortcuts::Name)
