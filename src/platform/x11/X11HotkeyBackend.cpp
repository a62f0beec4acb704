#include "platform/x11/X11HotkeyBackend.h"

#include "platform/x11/X11Modifiers.h"

#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>
#include "platform/x11/X11Xkb.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

struct Grab
{
    std::vector<xcb_keycode_t> keycodes;
    KeyModifiers modifiers;
};

struct Combination
{
    xcb_keycode_t keycode;
    uint16_t modifiers;
    friend bool operator==(const Combination &, const Combination &) = default;
};

} // namespace

struct X11HotkeyBackend::Private
{
    X11::Connection connection;
    xcb_window_t root = XCB_NONE;
    uint8_t xkbFirstEvent = 0; // 0 without XKB
    X11::ModifierMasks masks;
    std::unique_ptr<QSocketNotifier> notifier;
    std::map<quint32, Grab> grabs;
    std::map<xcb_keycode_t, std::vector<quint32>> held; // keys whose release is still due, and to whom
    Callback callback;

    std::vector<xcb_keycode_t> keycodesOf(const std::vector<int> &evdevCodes) const;
    uint16_t xModifiers(const KeyModifiers &modifiers) const;
    std::vector<Combination> combinationsOf(const Grab &grab) const;
    std::vector<Combination> unshared(const Grab &grab) const;
    Result take(quint32 id, const Grab &grab);
    bool grabChecked(const std::vector<Combination> &combinations, bool *taken);
    void ungrabAll(const std::vector<Combination> &combinations);
    void useXkb();
    void mappingChanged();
    void readEvents();
    void keyPressed(const xcb_key_press_event_t *event);
    void keyReleased(const xcb_key_release_event_t *event);
    void emitEvent(quint32 id, Event event) const;
};

// The keys this server has; X numbers keys as evdev does, shifted by 8.
std::vector<xcb_keycode_t> X11HotkeyBackend::Private::keycodesOf(const std::vector<int> &evdevCodes) const
{
    const xcb_setup_t *setup = xcb_get_setup(connection->get());
    std::vector<xcb_keycode_t> keycodes;
    for (const int evdev : evdevCodes) {
        const int keycode = evdev + 8;
        if (keycode >= setup->min_keycode && keycode <= setup->max_keycode)
            keycodes.push_back(xcb_keycode_t(keycode));
    }
    return keycodes;
}

uint16_t X11HotkeyBackend::Private::xModifiers(const KeyModifiers &modifiers) const
{
    return (modifiers.shift ? masks.shift : 0) | (modifiers.control ? masks.control : 0)
        | (modifiers.alt ? masks.alt : 0) | (modifiers.super ? masks.super : 0);
}

std::vector<Combination> X11HotkeyBackend::Private::combinationsOf(const Grab &grab) const
{
    std::vector<Combination> combinations;
    for (const xcb_keycode_t keycode : grab.keycodes) {
        for (const uint16_t locks : masks.lockCombinations())
            combinations.push_back({keycode, uint16_t(xModifiers(grab.modifiers) | locks)});
    }
    return combinations;
}

// The server keeps one grab of a combination for us however many ids use it
// (two shortcuts may differ only in a bit X11 has no modifier for): it is
// grabbed with its first user and released with its last.
std::vector<Combination> X11HotkeyBackend::Private::unshared(const Grab &grab) const
{
    std::vector<Combination> inUse;
    for (const auto &entry : grabs) {
        const std::vector<Combination> combinations = combinationsOf(entry.second);
        inUse.insert(inUse.end(), combinations.begin(), combinations.end());
    }
    std::vector<Combination> result;
    for (const Combination &c : combinationsOf(grab)) {
        if (std::find(inUse.begin(), inUse.end(), c) == inUse.end())
            result.push_back(c);
    }
    return result;
}

HotkeyBackend::Result X11HotkeyBackend::Private::take(quint32 id, const Grab &grab)
{
    if ((grab.modifiers.alt && !masks.alt) || (grab.modifiers.super && !masks.super))
        return Result::invalid;
    const std::vector<Combination> combinations = unshared(grab);
    bool taken = false;
    if (!grabChecked(combinations, &taken)) {
        // Any refused combination undoes the whole grab: half a hotkey
        // would work with CapsLock off and not with it on.
        ungrabAll(combinations);
        return taken ? Result::taken : Result::invalid;
    }
    grabs[id] = grab;
    return Result::grabbed;
}

// All requests go out first, then each is checked: one round trip in all.
bool X11HotkeyBackend::Private::grabChecked(const std::vector<Combination> &combinations, bool *taken)
{
    std::vector<xcb_void_cookie_t> cookies;
    for (const Combination &c : combinations) {
        cookies.push_back(xcb_grab_key_checked(connection->get(), 1, root, c.modifiers, c.keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool ok = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        X11::Reply<xcb_generic_error_t> error(xcb_request_check(connection->get(), cookie));
        if (error) {
            ok = false;
            *taken = *taken || error->error_code == XCB_ACCESS;
        }
    }
    return ok;
}

void X11HotkeyBackend::Private::ungrabAll(const std::vector<Combination> &combinations)
{
    for (const Combination &c : combinations)
        xcb_ungrab_key(connection->get(), c.keycode, root, c.modifiers);
    xcb_flush(connection->get());
}

// XKB gives detectable auto-repeat, so holding a combination gives presses
// and one release. Once we use it, the server reports mapping changes as
// XKB events rather than the core MappingNotify, so those are selected too.
void X11HotkeyBackend::Private::useXkb()
{
    xcb_connection_t *c = connection->get();
    X11::Reply<xcb_xkb_use_extension_reply_t> use(
        xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, 1, 0), nullptr));
    if (!use || !use->supported)
        return;
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    X11::Reply<xcb_xkb_per_client_flags_reply_t> reply(xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
    xkbFirstEvent = xcb_get_extension_data(c, &xcb_xkb_id)->first_event;
    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    const uint16_t mapParts = XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    xcb_xkb_select_events_aux(c, XCB_XKB_ID_USE_CORE_KBD, events, 0, 0, mapParts, mapParts, &details);
}

// Grabs carry the modifier bits of the map they were made under (NumLock
// or Super may move to another bit): under a new map they are made again.
// One that is refused now stays released.
void X11HotkeyBackend::Private::mappingChanged()
{
    const X11::ModifierMasks fresh = X11::readModifierMasks(connection->get());
    if (fresh == masks)
        return;
    for (const auto &entry : grabs)
        ungrabAll(combinationsOf(entry.second));
    masks = fresh;
    const std::map<quint32, Grab> previous = std::exchange(grabs, {});
    for (const auto &[id, grab] : previous)
        take(id, grab);
}

void X11HotkeyBackend::Private::readEvents()
{
    while (X11::Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection->get())}) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS)
            keyPressed(reinterpret_cast<const xcb_key_press_event_t *>(event.get()));
        else if (type == XCB_KEY_RELEASE)
            keyReleased(reinterpret_cast<const xcb_key_release_event_t *>(event.get()));
        else if (type == XCB_MAPPING_NOTIFY || (xkbFirstEvent && type == xkbFirstEvent))
            mappingChanged(); // only mapping events of XKB are selected
    }
}

// Matched on the press: the modifiers are often let go before the key.
void X11HotkeyBackend::Private::keyPressed(const xcb_key_press_event_t *event)
{
    const uint16_t modifiers = event->state & xModifiers({true, true, true, true});
    std::vector<quint32> ids;
    for (const auto &[id, grab] : grabs) {
        const bool onKey = std::find(grab.keycodes.begin(), grab.keycodes.end(), event->detail) != grab.keycodes.end();
        if (onKey && xModifiers(grab.modifiers) == modifiers)
            ids.push_back(id);
    }
    if (ids.empty())
        return;
    held[event->detail] = ids;
    for (const quint32 id : ids) {
        if (grabs.count(id)) // an earlier callback may have ungrabbed it
            emitEvent(id, Event::pressed);
    }
}

void X11HotkeyBackend::Private::keyReleased(const xcb_key_release_event_t *event)
{
    const auto it = held.find(event->detail);
    if (it == held.end())
        return;
    const std::vector<quint32> ids = std::move(it->second);
    held.erase(it);
    for (const quint32 id : ids) {
        if (grabs.count(id))
            emitEvent(id, Event::released);
    }
}

void X11HotkeyBackend::Private::emitEvent(quint32 id, Event event) const
{
    if (callback)
        callback(id, event);
}

std::shared_ptr<X11HotkeyBackend> X11HotkeyBackend::create()
{
    X11::Connection connection = X11::connect();
    if (!connection)
        return nullptr;
    auto d = std::make_unique<Private>();
    d->root = connection->root();
    d->connection = std::move(connection);
    d->masks = X11::readModifierMasks(d->connection->get());
    d->useXkb();
    Private *raw = d.get();
    d->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(raw->connection->get()),
                                                    QSocketNotifier::Read);
    QObject::connect(raw->notifier.get(), &QSocketNotifier::activated, [raw] { raw->readEvents(); });
    return std::shared_ptr<X11HotkeyBackend>(new X11HotkeyBackend(std::move(d)));
}

X11HotkeyBackend::X11HotkeyBackend(std::unique_ptr<Private> d)
    : d(std::move(d))
{
}

X11HotkeyBackend::~X11HotkeyBackend() = default;

HotkeyBackend::Result X11HotkeyBackend::grab(quint32 id, const std::vector<int> &evdevCodes, KeyModifiers modifiers)
{
    const Grab grab{d->keycodesOf(evdevCodes), modifiers};
    if (grab.keycodes.empty())
        return Result::invalid;
    const Result result = d->take(id, grab);
    // Events read while waiting for the checks sit in xcb's queue, where the
    // socket notifier does not see them.
    QTimer::singleShot(0, d->notifier.get(), [raw = d.get()] { raw->readEvents(); });
    return result;
}

void X11HotkeyBackend::ungrab(quint32 id)
{
    const auto it = d->grabs.find(id);
    if (it == d->grabs.end())
        return;
    const Grab grab = it->second;
    d->grabs.erase(it);
    d->ungrabAll(d->unshared(grab));
}

void X11HotkeyBackend::setCallback(Callback callback)
{
    d->callback = std::move(callback);
}

// A checked grab of every lock variant, released at once. Our own grabs are
// left alone: the server would let us grab them again, and the release that
// follows would drop the hotkey.
bool X11HotkeyBackend::isTakenByOthers(const std::vector<int> &evdevCodes, KeyModifiers modifiers)
{
    const Grab probe{d->keycodesOf(evdevCodes), modifiers};
    if (probe.keycodes.empty() || (modifiers.alt && !d->masks.alt) || (modifiers.super && !d->masks.super))
        return false;
    for (const auto &entry : d->grabs) {
        const Grab &own = entry.second;
        const bool sameKey = std::find_first_of(own.keycodes.begin(), own.keycodes.end(), probe.keycodes.begin(),
                                                probe.keycodes.end()) != own.keycodes.end();
        if (sameKey && d->xModifiers(own.modifiers) == d->xModifiers(probe.modifiers))
            return false;
    }
    const std::vector<Combination> combinations = d->combinationsOf(probe);
    bool taken = false;
    d->grabChecked(combinations, &taken);
    d->ungrabAll(combinations);
    // A round trip, so the release is done before any other client tries.
    xcb_connection_t *c = d->connection->get();
    X11::Reply<xcb_get_input_focus_reply_t> synced(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    QTimer::singleShot(0, d->notifier.get(), [raw = d.get()] { raw->readEvents(); });
    return taken;
}
