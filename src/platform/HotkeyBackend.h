#pragma once

#include "platform/KeyboardLayout.h"

#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <vector>

// System-wide key combinations. Where the desktop lets a program grab keys,
// pressing a grabbed combination, while any program is in front, reports a
// press to us and letting go of its key a release, whatever modifiers are
// still held by then. Where it does not, the combination is handed to the
// desktop's own key bindings, which start this program again with the
// registration's command on each press; no press is reported.
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

    // What the desktop runs for a combination it binds for us: the title it
    // lists the binding under and the arguments this program starts with.
    struct Command
    {
        QString title;
        QStringList arguments;
        friend bool operator==(const Command &, const Command &) = default;
    };
    // The commands the registration `id` stands for at the moment of asking.
    using CommandSource = std::function<std::vector<Command>(quint32 id)>;
    // Backends that report presses have no use for commands.
    virtual void setCommandSource(CommandSource source) { Q_UNUSED(source); }

    // Whether an open menu of ours keeps combinations from reaching the
    // backend, so that registrations pause and the menu's own key events are
    // matched instead. Bindings the desktop runs are not held up by a menu.
    virtual bool isBlockedByMenus() const { return true; }

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
