#pragma once

#include "platform/Platform.h"

// The backends for a Wayland session: the XDG desktop portals for what any
// Wayland desktop offers, GNOME's own facilities where the portals have
// none. Call after the QGuiApplication exists, on Qt's wayland platform.
Platform makeWaylandPlatform();

// The same, as the Wayland module offers it to the program that loads it:
// fills `platform`, found by the name waylandPlatformEntry.
extern "C" void quilletMakeWaylandPlatform(Platform &platform);
using WaylandPlatformEntry = void (*)(Platform &);
inline constexpr char waylandPlatformEntry[] = "quilletMakeWaylandPlatform";
