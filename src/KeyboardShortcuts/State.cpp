#include "KeyboardShortcuts/State.h"

#include "KeyboardShortcuts/MenuTracker.h"

namespace KeyboardShortcuts {

namespace {

std::unique_ptr<State> &instance()
{
    static std::unique_ptr<State> current;
    return current;
}

} // namespace

State::State(Environment env)
    : environment(std::move(env))
    , keyboardLayout(environment.keyboardLayout)
{
}

// A later state hands out the same ids again: presses of combinations left
// grabbed here would reach its hotkeys.
State::~State()
{
    if (!environment.hotkeyBackend)
        return;
    for (const auto &[id, hotKey] : hotKeys) {
        if (hotKey->isGrabbed)
            environment.hotkeyBackend->ungrab(quint32(id));
    }
}

State &state()
{
    std::unique_ptr<State> &current = instance();
    if (!current)
        current = std::make_unique<State>(defaultEnvironment());
    return *current;
}

Environment defaultEnvironment()
{
    Environment environment;
    environment.store = std::make_shared<DefaultsStore>();
    return environment;
}

void resetState(Environment environment)
{
    std::unique_ptr<State> &current = instance();
    // The old state goes first and releases its grabs before new ones are made.
    current.reset();
    current = std::make_unique<State>(std::move(environment));
}

} // namespace KeyboardShortcuts
