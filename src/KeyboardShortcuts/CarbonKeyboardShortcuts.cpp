#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"

#include "KeyboardShortcuts/PhysicalKeys.h"
#include "KeyboardShortcuts/State.h"

#include <algorithm>
#include <iostream>
#include <limits>

namespace KeyboardShortcuts::CarbonKeyboardShortcuts {

namespace {

bool fitsUInt32(qint64 value)
{
    return value >= 0 && value <= std::numeric_limits<quint32>::max();
}

void logRegistrationError(const Shortcut &shortcut, int status)
{
    std::cout << "Error registering hotkey " << shortcut.description().toStdString() << ": " << status
              << std::endl;
}

// Grabs the combination under the id; a Carbon-style status.
int grab(qint64 id, const Shortcut &shortcut)
{
    HotkeyBackend *backend = state().environment.hotkeyBackend.get();
    const std::vector<int> keys = evdevCodesForKeyCode(shortcut.carbonKeyCode);
    const ModifierFlags flags = shortcut.modifiers();
    // No X11 modifier stands for the function key.
    if (!backend || keys.empty() || flags.contains(ModifierFlags::function))
        return eventHotKeyInvalidErr;
    const KeyModifiers modifiers{flags.contains(ModifierFlags::shift), flags.contains(ModifierFlags::control),
                                 flags.contains(ModifierFlags::option), flags.contains(ModifierFlags::command)};
    switch (backend->grab(quint32(id), keys, modifiers)) {
    case HotkeyBackend::Result::grabbed:
        return noErr;
    case HotkeyBackend::Result::taken:
        return eventHotKeyExistsErr;
    case HotkeyBackend::Result::invalid:
        break;
    }
    return eventHotKeyInvalidErr;
}

void ungrab(HotKey &hotKey)
{
    if (!hotKey.isGrabbed)
        return;
    if (HotkeyBackend *backend = state().environment.hotkeyBackend.get())
        backend->ungrab(quint32(hotKey.carbonHotKeyId));
    hotKey.isGrabbed = false;
}

void handleHotKeyEvent(quint32 id, HotkeyBackend::Event event)
{
    State &s = state();
    if (!s.hotKeyEventsEnabled)
        return;
    const auto it = s.hotKeys.find(qint64(id));
    if (it == s.hotKeys.end())
        return;
    // Held by value: the callback may unregister this very hotkey.
    const std::shared_ptr<HotKey> hotKey = it->second;
    if (event == HotkeyBackend::Event::pressed)
        hotKey->onKeyDown(hotKey->shortcut);
    else
        hotKey->onKeyUp(hotKey->shortcut);
}

void installEventHandler()
{
    State &s = state();
    if (s.eventHandlerInstalled || !s.environment.hotkeyBackend)
        return;
    s.environment.hotkeyBackend->setCallback(handleHotKeyEvent);
    s.eventHandlerInstalled = true;
    applyEventHandlerState();
}

void regrabPaused()
{
    State &s = state();
    for (auto it = s.hotKeys.begin(); it != s.hotKeys.end();) {
        HotKey &hotKey = *it->second;
        if (hotKey.isGrabbed) {
            ++it;
            continue;
        }
        const int status = grab(hotKey.carbonHotKeyId, hotKey.shortcut);
        if (status == noErr) {
            hotKey.isGrabbed = true;
            ++it;
        } else {
            logRegistrationError(hotKey.shortcut, status);
            it = s.hotKeys.erase(it);
        }
    }
}

} // namespace

void registerHotKey(const Shortcut &shortcut, Callback onKeyDown, Callback onKeyUp)
{
    State &s = state();
    const qint64 id = ++s.hotKeyIdCounter;
    if (!fitsUInt32(shortcut.carbonKeyCode) || !fitsUInt32(shortcut.carbonModifiers) || !fitsUInt32(id))
        return;
    const int status = grab(id, shortcut);
    if (status != noErr) {
        logRegistrationError(shortcut, status);
        return;
    }
    s.hotKeys[id] = std::make_shared<HotKey>(
        HotKey{shortcut, id, true, std::move(onKeyDown), std::move(onKeyUp)});
    installEventHandler();
}

void unregisterHotKey(const Shortcut &shortcut)
{
    State &s = state();
    for (auto it = s.hotKeys.begin(); it != s.hotKeys.end();) {
        if (it->second->shortcut == shortcut) {
            ungrab(*it->second);
            it = s.hotKeys.erase(it);
        } else {
            ++it;
        }
    }
}

void applyEventHandlerState()
{
    State &s = state();
    if (!s.eventHandlerInstalled)
        return;
    const bool pausedForMenu = s.isMenuOpen && s.environment.hotkeyBackend->isBlockedByMenus();
    if (s.hotkeysEnabled && !pausedForMenu && !s.isRecorderActive) {
        regrabPaused();
        s.rawKeyEventsEnabled = false;
        s.hotKeyEventsEnabled = true;
        return;
    }
    // A grab of ours would take a combination away from the recorder's
    // window, which would see the keyboard leave and stop recording.
    for (auto &entry : s.hotKeys)
        ungrab(*entry.second);
    s.hotKeyEventsEnabled = false;
    // An open menu holds the keyboard: its key events stand in for the grabs.
    s.rawKeyEventsEnabled = s.hotkeysEnabled && !s.isRecorderActive;
}

// Matched on the press: users often let go of the modifiers before the
// key, so a release belongs to the press of the same key.
bool handleRawKeyEvent(const Shortcut &event, bool isKeyDown)
{
    State &s = state();
    if (!s.rawKeyEventsEnabled)
        return false;
    std::shared_ptr<HotKey> hotKey;
    if (isKeyDown) {
        const qint64 modifiers = normalizedCarbon(event.carbonModifiers);
        const auto it = std::find_if(s.hotKeys.begin(), s.hotKeys.end(), [&](const auto &entry) {
            return entry.second->shortcut.carbonKeyCode == event.carbonKeyCode
                && entry.second->shortcut.carbonModifiers == modifiers;
        });
        if (it == s.hotKeys.end())
            return false;
        hotKey = it->second;
        s.rawKeysDown[event.carbonKeyCode] = hotKey->carbonHotKeyId;
        hotKey->onKeyDown(hotKey->shortcut);
        return true;
    }
    const auto held = s.rawKeysDown.find(event.carbonKeyCode);
    if (held == s.rawKeysDown.end())
        return false;
    const auto it = s.hotKeys.find(held->second);
    s.rawKeysDown.erase(held);
    if (it == s.hotKeys.end())
        return false;
    hotKey = it->second; // held by value: the callback may unregister it
    hotKey->onKeyUp(hotKey->shortcut);
    return true;
}

std::vector<qint64> hotKeyIds()
{
    std::vector<qint64> ids;
    for (const auto &entry : state().hotKeys)
        ids.push_back(entry.first);
    return ids;
}

} // namespace KeyboardShortcuts::CarbonKeyboardShortcuts
