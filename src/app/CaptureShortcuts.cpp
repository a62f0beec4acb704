#include "app/CaptureShortcuts.h"

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

} // namespace CaptureShortcuts
