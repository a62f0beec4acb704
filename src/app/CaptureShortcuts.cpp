#include "app/CaptureShortcuts.h"

#include "KeyboardShortcuts/Hotkeys.h"

namespace CaptureShortcuts {

KeyboardShortcuts::Name name(CaptureMode mode)
{
    using KeyboardShortcuts::Key;
    using KeyboardShortcuts::ModifierFlags;
    const ModifierFlags modifiers = ModifierFlags::shift | ModifierFlags::option | ModifierFlags::command;
    switch (mode) {
    case CaptureMode::region:
        return KeyboardShortcuts::Name(QStringLiteral("captureRegion"), KeyboardShortcuts::Shortcut(Key::four, modifiers));
    case CaptureMode::scroll:
        return KeyboardShortcuts::Name(QStringLiteral("captureScroll"), KeyboardShortcuts::Shortcut(Key::five, modifiers));
    case CaptureMode::fullscreen:
        return KeyboardShortcuts::Name(QStringLiteral("captureFullscreen"),
                                       KeyboardShortcuts::Shortcut(Key::three, modifiers));
    case CaptureMode::window:
        break;
    }
    return KeyboardShortcuts::Name(QStringLiteral("captureWindow"), KeyboardShortcuts::Shortcut(Key::six, modifiers));
}

namespace {

QString title(CaptureMode mode)
{
    switch (mode) {
    case CaptureMode::region:
        return QStringLiteral("Capture Region");
    case CaptureMode::scroll:
        return QStringLiteral("Capture Scroll");
    case CaptureMode::fullscreen:
        return QStringLiteral("Capture Fullscreen");
    case CaptureMode::window:
        break;
    }
    return QStringLiteral("Capture Window");
}

} // namespace

std::optional<HotkeyBackend::Command> desktopCommand(const KeyboardShortcuts::Name &shortcutName)
{
    for (const CaptureMode mode : CaptureModes::allCases) {
        if (name(mode) == shortcutName) {
            return HotkeyBackend::Command{QStringLiteral("Quillet: ") + title(mode),
                                          {QStringLiteral("--capture"), CaptureModes::rawValue(mode)}};
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
