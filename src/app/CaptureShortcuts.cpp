#include "app/CaptureShortcuts.h"

#include "KeyboardShortcuts/Hotkeys.h"
#include "app/CaptureKinds.h"

namespace CaptureShortcuts {

KeyboardShortcuts::Name name(CaptureMode mode)
{
    using KeyboardShortcuts::ModifierFlags;
    const CaptureKind &kind = captureKind(mode);
    return KeyboardShortcuts::Name(QLatin1String(kind.shortcutName),
        KeyboardShortcuts::Shortcut(
            kind.defaultKey, ModifierFlags::shift | ModifierFlags::option | ModifierFlags::command));
}

std::optional<HotkeyBackend::Command> desktopCommand(const KeyboardShortcuts::Name &shortcutName)
{
    for (const CaptureKind &kind : captureKinds) {
        if (name(kind.mode) == shortcutName) {
            return HotkeyBackend::Command{QStringLiteral("Quillet: ") + QLatin1String(kind.menuTitle),
                                          {QStringLiteral("--capture"), QLatin1String(kind.rawValue)}};
        }
    }
    return std::nullopt;
}

HotkeyBackend::CommandSource commandSource()
{
    return [](quint32 id) {
        std::vector<HotkeyBackend::Command> commands;
        for (const KeyboardShortcuts::Name &shortcutName : KeyboardShortcuts::namesOfRegistration(id)) {
            if (auto command = desktopCommand(shortcutName))
                commands.push_back(std::move(*command));
        }
        return commands;
    };
}

} // namespace CaptureShortcuts
