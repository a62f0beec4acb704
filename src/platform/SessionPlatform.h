#pragma once

#include "platform/Platform.h"

#include <optional>

// Which desktop Quillet talks to, decided once per process from the session
// it was started in.
namespace SessionPlatform {

// Before the QGuiApplication exists: picks Qt's platform plugin for the
// session (wayland in a Wayland session, xcb otherwise) unless
// QT_QPA_PLATFORM already names one, so that QT_QPA_PLATFORM=xcb still
// forces the X11 path.
void chooseQtPlatform();

// After the QGuiApplication exists: the backends for the platform Qt runs
// on, or nothing (with a line on standard error) when Quillet has none.
std::optional<Platform> make();

} // namespace SessionPlatform
