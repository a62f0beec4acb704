#pragma once

#include <QtGlobal>

#include <optional>

class DisplayServer;
class QObject;
class QScreen;

// The identifier of the display a screen shows, or nothing when the screen
// carries none. Main thread only, as QScreen is.
std::optional<quint32> displayIDOfScreen(const QScreen *screen);

// The first screen, in QGuiApplication::screens() order, with that identifier.
QScreen *screenForDisplayID(quint32 displayID);

// Labels every screen, and each screen added later while `context` lives,
// with the identifier `displays` gives it.
void installDisplayIdentifiers(DisplayServer &displays, QObject *context);
