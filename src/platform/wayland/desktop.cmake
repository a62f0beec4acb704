# GNOME's own facilities on Wayland: its key bindings and input sources in
# GSettings (through gio), and the desktop's notifications.
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0)
target_link_libraries(quillet_wayland PRIVATE PkgConfig::GIO)
target_sources(quillet_wayland PRIVATE
    platform/wayland/GnomeSettings.cpp platform/wayland/GnomeSettings.h
    platform/wayland/GnomeKeybindingStore.cpp platform/wayland/GnomeKeybindingStore.h
    platform/wayland/GnomeHotkeyBackend.cpp platform/wayland/GnomeHotkeyBackend.h
    platform/wayland/GnomeKeyboardLayout.cpp platform/wayland/GnomeKeyboardLayout.h
    platform/wayland/DesktopCaptureNotifier.cpp platform/wayland/DesktopCaptureNotifier.h
    platform/wayland/GnomeDesktop.cpp platform/wayland/GnomeDesktop.h)
