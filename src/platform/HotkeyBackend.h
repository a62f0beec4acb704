#pragma once

#include "platform/KeyboardLayout.h"

#include <QtGlobal>

#include <functional>
#include <vector>

// System-wide key combinations: while any program is in front, pressing a
// grabbed combination reports a press to us and letting go of its key a
// release, whatever modifiers are still held by then.
class HotkeyBackend
{
public:
    enum class Result {
        grabbed,
        taken,   // another program holds the combination
        invalid, // the platform cannot express the combination
    };
    enum class Event { pressed, released };
    using Callback = std::function<void(quint32 id, Event event)>;

    virtual ~HotkeyBackend() = default;

    // Grabs the combination on every one of the keys (evdev codes) under
    // `id`; either all of it is grabbed or nothing is.
    virtual Result grab(quint32 id, const std::vector<int> &evdevCodes, KeyModifiers modifiers) = 0;
    virtual void ungrab(quint32 id) = 0;
    // Where presses and releases of grabbed combinations go, on the main thread.
    virtual void setCallback(Callback callback) = 0;

    // Whether another program holds the combination on any of the keys, so
    // that grabbing it would fail. Combinations we grabbed ourselves are not
    // taken. A backend that cannot tell answers false.
    virtual bool isTakenByOthers(const std::vector<int> &evdevCodes, KeyModifiers modifiers)
    {
        Q_UNUSED(evdevCodes);
        Q_UNUSED(modifiers);
        return false;
    }
};
