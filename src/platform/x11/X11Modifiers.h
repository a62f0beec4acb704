#pragma once

// Helpers shared by the X11 keyboard backends. Private to src/platform/x11/.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace X11 {

// xcb replies and errors are malloc'ed and freed by the caller.
struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter
{
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

// A fresh connection to $DISPLAY, or none when it cannot be opened.
Connection connect(int *screenNumber = nullptr);

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
};

ModifierMasks readModifierMasks(xcb_connection_t *connection);

} // namespace X11
