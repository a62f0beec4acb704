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

State::~State() = default;

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
    // The old backend goes first, so its grabs are gone before new ones are made.
    current.reset();
    current = std::make_unique<State>(std::move(environment));
}

} // namespace KeyboardShortcuts
