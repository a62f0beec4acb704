#include "platform/x11/X11Modifiers.h"

#include "platform/Error.h"

#include <algorithm>

namespace X11 {

namespace {

constexpr xcb_keysym_t Num_Lock = 0xff7f;
constexpr xcb_keysym_t Scroll_Lock = 0xff14;
constexpr xcb_keysym_t Alt_L = 0xffe9;
constexpr xcb_keysym_t Alt_R = 0xffea;
constexpr xcb_keysym_t Super_L = 0xffeb;
constexpr xcb_keysym_t Super_R = 0xffec;

void assign(ModifierMasks &masks, xcb_keysym_t keysym, uint16_t bit)
{
    switch (keysym) {
    case Alt_L:
    case Alt_R:
        masks.alt |= bit;
        break;
    case Super_L:
    case Super_R:
        masks.super |= bit;
        break;
    case Num_Lock:
        masks.numLock |= bit;
        break;
    case Scroll_Lock:
        masks.scrollLock |= bit;
        break;
    default:
        break;
    }
}

} // namespace

Connection connect()
{
    try {
        return Xcb::Connection::open();
    } catch (const Error &) {
        return nullptr;
    }
}

std::vector<uint16_t> ModifierMasks::lockCombinations() const
{
    std::vector<uint16_t> locks{XCB_MOD_MASK_LOCK};
    for (const uint16_t mask : {numLock, scrollLock}) {
        if (mask && std::find(locks.begin(), locks.end(), mask) == locks.end())
            locks.push_back(mask);
    }
    std::vector<uint16_t> combinations;
    for (unsigned subset = 0; subset < (1u << locks.size()); ++subset) {
        uint16_t combination = 0;
        for (size_t i = 0; i < locks.size(); ++i) {
            if (subset & (1u << i))
                combination |= locks[i];
        }
        combinations.push_back(combination);
    }
    return combinations;
}

ModifierMasks readModifierMasks(xcb_connection_t *connection)
{
    ModifierMasks masks;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const uint8_t first = setup->min_keycode;
    const uint8_t count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> keyboard(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, first, count), nullptr));
    Reply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!keyboard || !modifiers)
        return masks;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perKeycode = keyboard->keysyms_per_keycode;
    const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    // Shift, Lock and Control are fixed; Mod1 to Mod5 are the ones to look up.
    for (int mod = 3; mod < 8; ++mod) {
        for (int k = 0; k < perModifier; ++k) {
            const xcb_keycode_t keycode = keycodes[mod * perModifier + k];
            if (keycode < first || keycode >= first + count)
                continue;
            for (int level = 0; level < perKeycode; ++level)
                assign(masks, keysyms[(keycode - first) * perKeycode + level], uint16_t(1u << mod));
        }
    }
    return masks;
}

} // namespace X11
