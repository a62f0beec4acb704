#include "KeyboardShortcuts/Storage.h"

#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/State.h"
#include "platform/NotificationCenter.h"

namespace KeyboardShortcuts {

namespace {

DefaultsStore &store()
{
    return *state().environment.store;
}

void postChange(const Name &name)
{
    NotificationCenter::defaultCenter().post(QLatin1String(shortcutByNameDidChange),
                                             {{QStringLiteral("name"), QVariant::fromValue(name)}});
}

std::optional<Shortcut> storedShortcut(const QString &key)
{
    const auto text = store().string(key);
    if (!text)
        return std::nullopt;
    return Shortcut::fromJson(text->toUtf8());
}

QList<Name> storedNames()
{
    QList<Name> names;
    const QString prefix = QLatin1String(storageKeyPrefix);
    for (const QString &key : store().keys()) {
        if (key.startsWith(prefix))
            names.append(Name(key.mid(prefix.size())));
    }
    return names;
}

// Several names may hold the same shortcut; its hotkey has to stay while
// any of them still does. Entries of names this run never made (left by a
// name the program no longer has) hold nothing.
bool heldByAnotherName(const Shortcut &shortcut, const Name &except)
{
    for (const QString &raw : std::as_const(state().declaredNames)) {
        if (raw != except.rawValue && storedShortcut(QLatin1String(storageKeyPrefix) + raw) == shortcut)
            return true;
    }
    return false;
}

void releaseOld(const Shortcut &old, const Name &name)
{
    if (!heldByAnotherName(old, name))
        forgetRegistration(old);
}

void clearShortcut(const Name &name)
{
    const auto old = readShortcut(name);
    if (!old)
        return;
    if (name.defaultShortcut)
        store().setValue(storageKey(name), false);
    else
        store().remove(storageKey(name));
    releaseOld(*old, name);
    postChange(name);
}

} // namespace

QString storageKey(const Name &name)
{
    return QLatin1String(storageKeyPrefix) + name.rawValue;
}

bool hasStoredValue(const Name &name)
{
    return store().contains(storageKey(name));
}

std::optional<Shortcut> readShortcut(const Name &name)
{
    return storedShortcut(storageKey(name));
}

void writeShortcut(const std::optional<Shortcut> &shortcut, const Name &name)
{
    if (!shortcut) {
        clearShortcut(name);
        return;
    }
    const QString json = QString::fromUtf8(shortcut->toJson());
    if (const auto old = readShortcut(name))
        releaseOld(*old, name);
    ensureRegistered(*shortcut);
    store().setValue(storageKey(name), json);
    postChange(name);
}

void resetShortcuts(const QList<Name> &names)
{
    for (const Name &name : names)
        writeShortcut(name.defaultShortcut, name);
}

void resetAllShortcuts()
{
    resetShortcuts(storedNames());
}

Name::Name(QString raw, std::optional<Shortcut> defaultValue)
    : rawValue(std::move(raw))
    , defaultShortcut(std::move(defaultValue))
{
    state().declaredNames.insert(rawValue);
    if (defaultShortcut && !hasStoredValue(*this))
        writeShortcut(defaultShortcut, *this);
    initializeOnce();
}

std::optional<Shortcut> Name::shortcut() const
{
    return readShortcut(*this);
}

void Name::setShortcut(const std::optional<Shortcut> &value) const
{
    writeShortcut(value, *this);
}

} // namespace KeyboardShortcuts
