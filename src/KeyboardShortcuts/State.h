#pragma once

// The library's process-wide state. Private to src/KeyboardShortcuts/.

#include "KeyboardShortcuts/Environment.h"
#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QSet>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace KeyboardShortcuts {

class MenuTracker;

// One registration of the lower layer.
struct HotKey
{
    Shortcut shortcut;
    qint64 carbonHotKeyId = 0;
    bool isGrabbed = false; // false while paused for a menu or while disabled
    std::function<void(const Shortcut &)> onKeyDown;
    std::function<void(const Shortcut &)> onKeyUp;
};

// Insertion-ordered map from a name to its entries, so that handlers run in
// the order names were first given them.
template <typename Value>
using NameMap = std::vector<std::pair<Name, Value>>;

using Action = std::function<void()>;
using StreamCallbacks = std::map<quint64, Action>;

struct State
{
    Environment environment;
    std::shared_ptr<KeyboardLayout> keyboardLayout; // shortcut for environment.keyboardLayout

    // Lower layer
    std::map<qint64, std::shared_ptr<HotKey>> hotKeys;
    qint64 hotKeyIdCounter = 0;
    bool eventHandlerInstalled = false;
    bool hotKeyEventsEnabled = false; // grabbed combinations are delivered
    bool rawKeyEventsEnabled = false; // key events inside our menus are matched
    std::map<qint64, qint64> rawKeysDown; // key code → hotkey id its press in a menu ran
    std::unique_ptr<MenuTracker> menuTracker;

    // Upper layer
    QSet<Shortcut> registeredShortcuts;
    QSet<QString> declaredNames; // raw values of the names made in this run
    NameMap<std::vector<Action>> keyDownHandlers;
    NameMap<std::vector<Action>> keyUpHandlers;
    NameMap<StreamCallbacks> keyDownStreams;
    NameMap<StreamCallbacks> keyUpStreams;
    bool hotkeysEnabled = true;
    bool isMenuOpen = false;
    bool isRecorderActive = false;
    bool isInitialized = false;

    explicit State(Environment environment);
    ~State();
};

// Made over defaultEnvironment() on first use.
State &state();

// Registers the shortcut with the shared dispatchers unless it already is,
// and records it in registeredShortcuts.
void ensureRegistered(const Shortcut &shortcut);
// Unregisters the shortcut and forgets it in registeredShortcuts.
void forgetRegistration(const Shortcut &shortcut);

template <typename Value>
Value *find(NameMap<Value> &map, const Name &name)
{
    for (auto &entry : map) {
        if (entry.first == name)
            return &entry.second;
    }
    return nullptr;
}

} // namespace KeyboardShortcuts
