#pragma once

#include "platform/DefaultsStore.h"
#include "platform/HotkeyBackend.h"
#include "platform/KeyboardLayout.h"

#include <functional>
#include <memory>

namespace KeyboardShortcuts {

// The facilities the library's process-wide state works over.
struct Environment
{
    std::shared_ptr<DefaultsStore> store;
    std::shared_ptr<HotkeyBackend> hotkeyBackend; // none: every registration fails
    std::shared_ptr<KeyboardLayout> keyboardLayout; // none: no key prints a character
    std::function<void()> beep = {}; // answers a refused key; none: the desktop's bell
};

// The defaults file and no backends: the composition root installs the
// platform's through resetState() at start-up.
Environment defaultEnvironment();

// Starts the library afresh over these facilities: handlers, streams,
// registrations, the id counter and every flag go back to their first state.
void resetState(Environment environment);

} // namespace KeyboardShortcuts
