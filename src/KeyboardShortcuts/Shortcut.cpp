#include "KeyboardShortcuts/Shortcut.h"

#include "KeyboardShortcuts/KeyNames.h"
#include "KeyboardShortcuts/PhysicalKeys.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/State.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>

#include <cmath>

namespace KeyboardShortcuts {

namespace {

struct FlagBit
{
    ModifierFlags flag;
    qint64 carbon;
};

constexpr FlagBit knownBits[] = {
    {ModifierFlags::control, CarbonModifier::controlKey},
    {ModifierFlags::option, CarbonModifier::optionKey},
    {ModifierFlags::shift, CarbonModifier::shiftKey},
    {ModifierFlags::command, CarbonModifier::cmdKey},
    {ModifierFlags::function, CarbonModifier::function},
};

// JSON numbers are doubles; a shortcut member must be a whole number.
std::optional<qint64> integerMember(const QJsonObject &object, const char *name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number || std::abs(number) > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(number);
}

ModifierFlags flagsOf(const KeyModifiers &modifiers)
{
    ModifierFlags flags;
    if (modifiers.shift)
        flags = flags | ModifierFlags::shift;
    if (modifiers.control)
        flags = flags | ModifierFlags::control;
    if (modifiers.alt)
        flags = flags | ModifierFlags::option;
    if (modifiers.super)
        flags = flags | ModifierFlags::command;
    return flags;
}

} // namespace

qint64 toCarbon(ModifierFlags flags)
{
    qint64 bits = 0;
    for (const FlagBit &bit : knownBits) {
        if (flags.contains(bit.flag))
            bits |= bit.carbon;
    }
    return bits;
}

ModifierFlags fromCarbon(qint64 carbonModifiers)
{
    ModifierFlags flags;
    for (const FlagBit &bit : knownBits) {
        if (carbonModifiers & bit.carbon)
            flags = flags | bit.flag;
    }
    return flags;
}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : carbonKeyCode(key.rawValue)
    , carbonModifiers(toCarbon(modifiers))
{
}

Shortcut Shortcut::fromCarbon(qint64 carbonKeyCode, qint64 carbonModifiers)
{
    return Shortcut(carbonKeyCode, normalizedCarbon(carbonModifiers), 0);
}

std::optional<Shortcut> Shortcut::fromEvent(const QEvent *event)
{
    if (!event || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return std::nullopt;
    KeyboardLayout *layout = state().keyboardLayout.get();
    if (!layout)
        return std::nullopt;
    const auto *keyEvent = static_cast<const QKeyEvent *>(event);
    const auto physical = layout->decodeKeyEvent(keyEvent->nativeScanCode(), keyEvent->nativeModifiers());
    if (!physical)
        return std::nullopt;
    const auto keyCode = keyCodeForEvdevCode(physical->evdevCode);
    if (!keyCode)
        return std::nullopt;
    const ModifierFlags flags = flagsOf(physical->modifiers).without(ModifierFlags::function);
    return Shortcut::fromCarbon(*keyCode, toCarbon(flags));
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const auto keyCode = integerMember(document.object(), "carbonKeyCode");
    const auto modifiers = integerMember(document.object(), "carbonModifiers");
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut(*keyCode, *modifiers, 0);
}

QByteArray Shortcut::toJson() const
{
    return "{\"carbonKeyCode\":" + QByteArray::number(carbonKeyCode) + ",\"carbonModifiers\":"
        + QByteArray::number(carbonModifiers) + '}';
}

QString Shortcut::description() const
{
    return modifierNames(modifiers()) + keyName(carbonKeyCode);
}

size_t qHash(const Shortcut &shortcut, size_t seed) noexcept
{
    return qHashMulti(seed, shortcut.carbonKeyCode, shortcut.carbonModifiers);
}

std::optional<QString> characterForKeyCode(qint64 keyCode)
{
    KeyboardLayout *layout = state().keyboardLayout.get();
    if (!layout || specialKeysByKeyCode().contains(keyCode) || keyCode < 0 || keyCode > 65535)
        return std::nullopt;
    // The key itself first; a PC key in its place only when it prints something.
    for (const int evdev : evdevCodesForKeyCode(keyCode)) {
        if (auto character = layout->characterForKey(evdev); character && isReadableKeyCharacter(*character))
            return character;
    }
    return std::nullopt;
}

} // namespace KeyboardShortcuts
