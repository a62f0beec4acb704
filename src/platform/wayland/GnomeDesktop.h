#pragma once

struct Platform;

// GNOME's share of the Wayland platform: shortcuts as GNOME's custom
// keybindings, the keyboard layout of its input sources, the preview as the
// desktop's notification, and the tray as a StatusNotifierItem host. Call after the QGuiApplication exists.
void addGnomeDesktop(Platform &platform);
