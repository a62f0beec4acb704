#include "KeyboardShortcuts/Hotkeys.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/MenuTracker.h"
#include "KeyboardShortcuts/State.h"
#include "KeyboardShortcuts/Storage.h"

#include <QCoreApplication>
#include <QPointer>

#include <utility>

namespace KeyboardShortcuts {

namespace {

// Collects first and calls afterwards: an action may add or remove handlers.
void dispatch(const Shortcut &pressed, const NameMap<std::vector<Action>> &handlers,
              const NameMap<StreamCallbacks> &streams)
{
    if (state().isRecorderActive)
        return;
    std::vector<Action> toCall;
    for (const auto &[name, actions] : handlers) {
        if (readShortcut(name) == pressed)
            toCall.insert(toCall.end(), actions.begin(), actions.end());
    }
    for (const auto &[name, callbacks] : streams) {
        if (readShortcut(name) == pressed) {
            for (const auto &entry : callbacks)
                toCall.push_back(entry.second);
        }
    }
    for (const Action &action : toCall)
        action();
}

void keyDownDispatcher(const Shortcut &shortcut)
{
    dispatch(shortcut, state().keyDownHandlers, state().keyDownStreams);
}

void keyUpDispatcher(const Shortcut &shortcut)
{
    dispatch(shortcut, state().keyUpHandlers, state().keyUpStreams);
}

template <typename Value>
bool anyNameHolds(const NameMap<Value> &map, const Shortcut &shortcut)
{
    for (const auto &entry : map) {
        if (readShortcut(entry.first) == shortcut)
            return true;
    }
    return false;
}

// Whether a handler or stream of any name still listens to the shortcut.
bool stillListenedTo(const Shortcut &shortcut)
{
    const State &s = state();
    return anyNameHolds(s.keyDownHandlers, shortcut) || anyNameHolds(s.keyUpHandlers, shortcut)
        || anyNameHolds(s.keyDownStreams, shortcut) || anyNameHolds(s.keyUpStreams, shortcut);
}

template <typename Value>
void eraseName(NameMap<Value> &map, const Name &name)
{
    std::erase_if(map, [&](const auto &entry) { return entry.first == name; });
}

void addHandler(NameMap<std::vector<Action>> &map, const Name &name, std::function<void()> action)
{
    if (auto *actions = find(map, name))
        actions->push_back(std::move(action));
    else
        map.emplace_back(name, std::vector<Action>{std::move(action)});
    if (const auto shortcut = readShortcut(name))
        ensureRegistered(*shortcut);
}

void addStreamCallback(NameMap<StreamCallbacks> &map, const Name &name, quint64 id, Action callback)
{
    if (auto *callbacks = find(map, name))
        callbacks->emplace(id, std::move(callback));
    else
        map.emplace_back(name, StreamCallbacks{{id, std::move(callback)}});
}

void removeStreamCallback(NameMap<StreamCallbacks> &map, const Name &name, quint64 id)
{
    if (auto *callbacks = find(map, name)) {
        callbacks->erase(id);
        if (callbacks->empty())
            eraseName(map, name);
    }
}

} // namespace

void ensureRegistered(const Shortcut &shortcut)
{
    State &s = state();
    if (s.registeredShortcuts.contains(shortcut))
        return;
    CarbonKeyboardShortcuts::registerHotKey(shortcut, keyDownDispatcher, keyUpDispatcher);
    s.registeredShortcuts.insert(shortcut);
}

void forgetRegistration(const Shortcut &shortcut)
{
    CarbonKeyboardShortcuts::unregisterHotKey(shortcut);
    state().registeredShortcuts.remove(shortcut);
}

void onKeyDown(const Name &name, std::function<void()> action)
{
    addHandler(state().keyDownHandlers, name, std::move(action));
}

void onKeyUp(const Name &name, std::function<void()> action)
{
    addHandler(state().keyUpHandlers, name, std::move(action));
}

void removeHandlers(const Name &name)
{
    eraseName(state().keyDownHandlers, name);
    eraseName(state().keyUpHandlers, name);
    const auto shortcut = readShortcut(name);
    if (shortcut && !stillListenedTo(*shortcut))
        forgetRegistration(*shortcut);
}

void clearAllHandlers()
{
    State &s = state();
    QSet<Shortcut> shortcuts;
    for (const auto *map : {&s.keyDownHandlers, &s.keyUpHandlers}) {
        for (const auto &entry : *map) {
            if (const auto shortcut = readShortcut(entry.first))
                shortcuts.insert(*shortcut);
        }
    }
    s.keyDownHandlers.clear();
    s.keyUpHandlers.clear();
    for (const Shortcut &shortcut : std::as_const(shortcuts)) {
        if (!stillListenedTo(shortcut))
            forgetRegistration(shortcut);
    }
}

void suspendShortcuts(const QList<Name> &names)
{
    for (const Name &name : names) {
        if (const auto shortcut = readShortcut(name))
            forgetRegistration(*shortcut);
    }
}

void resumeShortcuts(const QList<Name> &names)
{
    for (const Name &name : names) {
        if (const auto shortcut = readShortcut(name))
            ensureRegistered(*shortcut);
    }
}

bool isShortcutRegistered(const Name &name)
{
    if (!state().hotkeysEnabled)
        return false;
    const auto shortcut = readShortcut(name);
    return shortcut && state().registeredShortcuts.contains(*shortcut);
}

QList<Name> namesOfRegistration(quint32 id)
{
    const State &s = state();
    const auto hotKey = s.hotKeys.find(qint64(id));
    if (hotKey == s.hotKeys.end())
        return {};
    QList<Name> names;
    const auto collect = [&](const auto &map) {
        for (const auto &entry : map) {
            if (!names.contains(entry.first) && readShortcut(entry.first) == hotKey->second->shortcut)
                names.append(entry.first);
        }
    };
    collect(s.keyDownHandlers);
    collect(s.keyUpHandlers);
    collect(s.keyDownStreams);
    collect(s.keyUpStreams);
    return names;
}

bool hotkeysEnabled()
{
    return state().hotkeysEnabled;
}

void setHotkeysEnabled(bool enabled)
{
    if (state().hotkeysEnabled == enabled)
        return;
    state().hotkeysEnabled = enabled;
    CarbonKeyboardShortcuts::applyEventHandlerState();
}

bool isMenuOpen()
{
    return state().isMenuOpen;
}

void setMenuOpen(bool open)
{
    if (state().isMenuOpen == open)
        return;
    state().isMenuOpen = open;
    CarbonKeyboardShortcuts::applyEventHandlerState();
}

bool isRecorderActive()
{
    return state().isRecorderActive;
}

void setRecorderActive(bool active)
{
    if (state().isRecorderActive == active)
        return;
    state().isRecorderActive = active;
    CarbonKeyboardShortcuts::applyEventHandlerState();
}

void initializeOnce()
{
    State &s = state();
    if (s.isInitialized)
        return;
    // Menus are watched through the application object: a name made before
    // it exists starts the watch from the application's constructor.
    if (!QCoreApplication::instance()) {
        static bool deferred = false;
        if (!std::exchange(deferred, true))
            qAddPreRoutine([] { initializeOnce(); });
        return;
    }
    s.menuTracker = std::make_unique<MenuTracker>();
    s.isInitialized = true;
}

KeyEventStream::KeyEventStream(const Name &name, std::optional<EventType> only)
    : m_name(name)
{
    // Never reset with the state, so a stream that outlives a reset cannot
    // remove a newer stream's entries.
    static quint64 lastId = 0;
    m_id = ++lastId;
    State &s = state();
    // Weak: a dispatch calls what it collected, and an earlier callback of
    // the same press may have ended this stream by then.
    const auto emitter = [self = QPointer<KeyEventStream>(this)](EventType type) -> Action {
        return [self, type] {
            if (self)
                emit self->keyEvent(type);
        };
    };
    if (only != EventType::keyUp)
        addStreamCallback(s.keyDownStreams, name, m_id, emitter(EventType::keyDown));
    if (only != EventType::keyDown)
        addStreamCallback(s.keyUpStreams, name, m_id, emitter(EventType::keyUp));
    if (const auto shortcut = readShortcut(name))
        ensureRegistered(*shortcut);
}

KeyEventStream::~KeyEventStream()
{
    State &s = state();
    removeStreamCallback(s.keyDownStreams, m_name, m_id);
    removeStreamCallback(s.keyUpStreams, m_name, m_id);
    const auto shortcut = readShortcut(m_name);
    if (shortcut && !stillListenedTo(*shortcut))
        forgetRegistration(*shortcut);
}

std::unique_ptr<KeyEventStream> keyEvents(const Name &name, std::optional<EventType> only)
{
    return std::unique_ptr<KeyEventStream>(new KeyEventStream(name, only));
}

} // namespace KeyboardShortcuts
