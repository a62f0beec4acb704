#include "app/CaptureShortcuts.h"

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

} // namespace CaptureShortcuts
