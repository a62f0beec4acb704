#include "platform/wayland/GnomeDesktop.h"

#include "platform/Platform.h"
#include "platform/StatusNotifierWatcherAvailability.h"
#include "platform/XdgAutostartLoginItems.h"
#include "platform/wayland/DesktopCaptureNotifier.h"
#include "platform/wayland/GnomeHotkeyBackend.h"
#include "platform/wayland/GnomeKeyboardLayout.h"

#include <iostream>

void addGnomeDesktop(Platform &platform)
{
    const std::shared_ptr<GnomeKeyboardLayout> layout = GnomeKeyboardLayout::create();
    platform.keyboardLayout = layout;
    platform.notifier = std::make_shared<DesktopCaptureNotifier>();
    // A Wayland tray is a StatusNotifierItem host (GNOME's AppIndicator
    // extension) or none at all.
    platform.tray = std::make_shared<StatusNotifierWatcherAvailability>();
    std::unique_ptr<GnomeKeybindingStore> store = makeGSettingsKeybindingStore();
    if (!store) {
        std::cerr << "quillet: this desktop has no GNOME keybinding settings: bind `"
                  << XdgAutostartLoginItems::runningProgram().toStdString()
                  << " --capture region` (or scroll, fullscreen, window) in its keyboard settings." << std::endl;
        return;
    }
    const GnomeHotkeyBackend::Keysyms keysyms{
        [layout](int evdevCode) { return layout->keysymNameForKey(evdevCode); },
        [layout](const QString &name) { return layout->keysForKeysymName(name); },
    };
    platform.hotkeys = std::make_shared<GnomeHotkeyBackend>(std::move(store), keysyms,
                                                            XdgAutostartLoginItems::runningProgram());
}
