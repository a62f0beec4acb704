#pragma once

struct Platform;

// GNOME's share of the Wayland platform: shortcuts as GNOME's custom
// keybindings, the keyboard layout of its input sources, and the preview as
// the desktop's notification. Call after the QGuiApplication exists.
void addGnomeDesktop(Platform &platform);
