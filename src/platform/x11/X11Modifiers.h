#pragma once

// Helpers shared by the X11 keyboard backends. Private to src/platform/x11/.

#include "platform/x11/XcbSupport.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace X11 {

using Xcb::Reply;
using Connection = std::unique_ptr<Xcb::Connection>;

// A fresh connection to $DISPLAY, or none when it cannot be opened: the
// keyboard backends are optional, so they are not created without one.
Connection connect();

// Which X modifier bits stand for the shortcut modifiers and lock keys; the
// server's modifier map decides, since Alt and Super move between Mod1–Mod5.
struct ModifierMasks
{
    uint16_t shift = XCB_MOD_MASK_SHIFT;
    uint16_t control = XCB_MOD_MASK_CONTROL;
    uint16_t alt = 0;
    uint16_t super = 0;
    uint16_t numLock = 0;
    uint16_t scrollLock = 0;

    // Every combination of the lock modifiers, the empty one included.
    std::vector<uint16_t> lockCombinations() const;

    friend bool operator==(const ModifierMasks &, const ModifierMasks &) = default;
};

ModifierMasks readModifierMasks(xcb_connection_t *connection);

} // namespace X11
