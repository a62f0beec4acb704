#pragma once

#include <QtGlobal>

#include <optional>

class QScreen;

// Who names the displays. Identifiers are 32-bit values that stay the same
// for a display while the display server runs. Main thread only: it works
// on QScreen objects.
class DisplayServer
{
public:
    virtual ~DisplayServer();

    // The identifier of the display that `screen` shows, or nothing when the
    // display server does not know that screen.
    virtual std::optional<quint32> displayIdentifier(const QScreen &screen) const = 0;

    // The identifier of the main display (the primary one), or nothing when
    // the display server lists no display at all.
    virtual std::optional<quint32> mainDisplayID() const = 0;

    // Returns once the display server has carried out every request that
    // the application's windows made so far (a window's unmapping, say).
    virtual void sync() const {}
};
