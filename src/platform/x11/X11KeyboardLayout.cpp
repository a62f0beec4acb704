#include "platform/x11/X11KeyboardLayout.h"

#include "platform/x11/X11Modifiers.h"
#include "platform/x11/XkbKeysymText.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include "platform/x11/X11Xkb.h"
#include <xkbcommon/xkbcommon-x11.h>

#include <utility>

namespace {

struct ContextDeleter
{
    void operator()(xkb_context *context) const { xkb_context_unref(context); }
};
struct KeymapDeleter
{
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
};
struct StateDeleter
{
    void operator()(xkb_state *state) const { xkb_state_unref(state); }
};

// The three letter rows (evdev Q to "]", A to "'", Z to "/"): wherever a
// layout puts its alphabet (Dvorak, BÉPO, Neo...), it lies in these.
constexpr std::pair<int, int> letterRows[] = {{16, 27}, {30, 40}, {44, 53}};


} // namespace

struct X11KeyboardLayout::Private
{
    X11::Connection connection;
    int32_t deviceId = -1;
    uint8_t xkbFirstEvent = 0;
    std::unique_ptr<xkb_context, ContextDeleter> context;
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap;
    std::unique_ptr<xkb_state, StateDeleter> state;
    X11::ModifierMasks masks;
    std::unique_ptr<QSocketNotifier> notifier;
    int builds = 0;

    bool rebuild();
    void selectEvents();
    void readEvents();
    void updateState(const xcb_xkb_state_notify_event_t *event);
    xkb_layout_index_t asciiCapableLayout() const;
    bool isLatin(xkb_layout_index_t layout) const;
    std::optional<xkb_keysym_t> baseKeysym(xkb_keycode_t keycode, xkb_layout_index_t layout) const;
};

bool X11KeyboardLayout::Private::rebuild()
{
    std::unique_ptr<xkb_keymap, KeymapDeleter> newKeymap(
        xkb_x11_keymap_new_from_device(context.get(), connection->get(), deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!newKeymap)
        return false;
    std::unique_ptr<xkb_state, StateDeleter> newState(
        xkb_x11_state_new_from_device(newKeymap.get(), connection->get(), deviceId));
    if (!newState)
        return false;
    keymap = std::move(newKeymap);
    state = std::move(newState);
    masks = X11::readModifierMasks(connection->get());
    ++builds;
    return true;
}

// A new keyboard or mapping needs a new keymap. Of the state only the group
// matters (characters are read without modifiers): modifier presses, far
// more frequent, are not even sent to us.
void X11KeyboardLayout::Private::selectEvents()
{
    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY
        | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS
        | XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_VIRTUAL_MODS;
    const uint16_t groupParts = XCB_XKB_STATE_PART_GROUP_STATE | XCB_XKB_STATE_PART_GROUP_BASE
        | XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = details.stateDetails = groupParts;
    xcb_xkb_select_events_aux(connection->get(), uint16_t(deviceId), events, 0, 0, mapParts, mapParts, &details);
    xcb_flush(connection->get());
}

void X11KeyboardLayout::Private::readEvents()
{
    bool mappingChanged = false;
    while (X11::Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection->get())}) {
        if ((event->response_type & 0x7f) != xkbFirstEvent)
            continue;
        const auto *xkbEvent = reinterpret_cast<const xcb_xkb_state_notify_event_t *>(event.get());
        if (xkbEvent->xkbType == XCB_XKB_STATE_NOTIFY)
            updateState(xkbEvent);
        else
            mappingChanged = true;
    }
    if (mappingChanged)
        rebuild(); // reads the state afresh as well
}

void X11KeyboardLayout::Private::updateState(const xcb_xkb_state_notify_event_t *event)
{
    xkb_state_update_mask(state.get(), event->baseMods, event->latchedMods, event->lockedMods,
                          xkb_layout_index_t(event->baseGroup), xkb_layout_index_t(event->latchedGroup),
                          event->lockedGroup);
}

// Decided on the whole alphabet, not on a few keys: Dvorak's Q and Z
// positions type punctuation, yet its letters are Latin.
bool X11KeyboardLayout::Private::isLatin(xkb_layout_index_t layout) const
{
    int latin = 0;
    int other = 0;
    for (const auto &[first, last] : letterRows) {
        for (int evdev = first; evdev <= last; ++evdev) {
            const auto keysym = baseKeysym(xkb_keycode_t(evdev + 8), layout);
            const char32_t character = keysym ? xkb_keysym_to_utf32(*keysym) : 0;
            if (QChar::isLetter(character))
                ++(QChar::script(character) == QChar::Script_Latin ? latin : other);
        }
    }
    return latin > other;
}

// The active group when its letters are Latin, else the first group whose
// letters are; when none is, the active group still names most keys.
xkb_layout_index_t X11KeyboardLayout::Private::asciiCapableLayout() const
{
    const xkb_layout_index_t active = xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE);
    if (isLatin(active))
        return active;
    const xkb_layout_index_t count = xkb_keymap_num_layouts(keymap.get());
    for (xkb_layout_index_t layout = 0; layout < count; ++layout) {
        if (isLatin(layout))
            return layout;
    }
    return active;
}

std::optional<xkb_keysym_t> X11KeyboardLayout::Private::baseKeysym(xkb_keycode_t keycode,
                                                                   xkb_layout_index_t layout) const
{
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap.get(), keycode);
    if (layouts == 0)
        return std::nullopt;
    const xkb_keysym_t *syms = nullptr;
    // A key with fewer groups than the keymap wraps around, as XKB does.
    const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), keycode, layout % layouts, 0, &syms);
    if (count < 1 || syms[0] == XKB_KEY_NoSymbol)
        return std::nullopt;
    return syms[0];
}

std::shared_ptr<X11KeyboardLayout> X11KeyboardLayout::create()
{
    auto d = std::make_unique<Private>();
    d->connection = X11::connect();
    if (!d->connection)
        return nullptr;
    xcb_connection_t *c = d->connection->get();
    if (!xkb_x11_setup_xkb_extension(c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                     &d->xkbFirstEvent, nullptr))
        return nullptr;
    d->deviceId = xkb_x11_get_core_keyboard_device_id(c);
    d->context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (d->deviceId < 0 || !d->context || !d->rebuild())
        return nullptr;
    d->selectEvents();
    Private *raw = d.get();
    d->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(raw->notifier.get(), &QSocketNotifier::activated, [raw] { raw->readEvents(); });
    return std::shared_ptr<X11KeyboardLayout>(new X11KeyboardLayout(std::move(d)));
}

X11KeyboardLayout::X11KeyboardLayout(std::unique_ptr<Private> d)
    : d(std::move(d))
{
}

X11KeyboardLayout::~X11KeyboardLayout() = default;

std::optional<QString> X11KeyboardLayout::characterForKey(int evdevCode)
{
    d->readEvents(); // a change may have arrived since the event loop last ran
    const auto keysym = d->baseKeysym(xkb_keycode_t(evdevCode + 8), d->asciiCapableLayout());
    if (!keysym)
        return std::nullopt;
    return xkbKeysymText(*keysym);
}

std::optional<PhysicalKeyEvent> X11KeyboardLayout::decodeKeyEvent(quint32 nativeScanCode, quint32 nativeModifiers)
{
    if (nativeScanCode < 8 || nativeScanCode > 255)
        return std::nullopt;
    d->readEvents();
    const X11::ModifierMasks &m = d->masks;
    const auto has = [nativeModifiers](uint16_t mask) { return mask != 0 && (nativeModifiers & mask) != 0; };
    return PhysicalKeyEvent{int(nativeScanCode) - 8,
                            KeyModifiers{has(m.shift), has(m.control), has(m.alt), has(m.super)}};
}

int X11KeyboardLayout::keymapBuilds() const
{
    return d->builds;
}
