#include "platform/x11/X11HotkeyBackend.h"

#include "platform/x11/X11Modifiers.h"

#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>
#include "platform/x11/X11Xkb.h"

#include <map>

namespace {

struct Grab
{
    std::vector<xcb_keycode_t> keycodes;
    uint16_t modifiers = 0;
};

struct Combination
{
    xcb_keycode_t keycode;
    uint16_t modifiers;
};

} // namespace

struct X11HotkeyBackend::Private
{
    X11::Connection connection;
    xcb_window_t root = XCB_NONE;
    X11::ModifierMasks masks;
    std::unique_ptr<QSocketNotifier> notifier;
    std::map<quint32, Grab> grabs;
    std::map<xcb_keycode_t, quint32> held; // keys whose release is still due
    Callback callback;

    std::vector<Combination> combinationsOf(const Grab &grab) const;
    bool grabChecked(const std::vector<Combination> &combinations, bool *taken);
    void ungrabAll(const std::vector<Combination> &combinations);
    void enableDetectableAutoRepeat();
    void readEvents();
    void keyPressed(const xcb_key_press_event_t *event);
    void keyReleased(const xcb_key_release_event_t *event);
    void emitEvent(quint32 id, Event event) const;
};

std::vector<Combination> X11HotkeyBackend::Private::combinationsOf(const Grab &grab) const
{
    std::vector<Combination> combinations;
    for (const xcb_keycode_t keycode : grab.keycodes) {
        for (const uint16_t locks : masks.lockCombinations())
            combinations.push_back({keycode, uint16_t(grab.modifiers | locks)});
    }
    return combinations;
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

void X11HotkeyBackend::Private::enableDetectableAutoRepeat()
{
    xcb_connection_t *c = connection->get();
    X11::Reply<xcb_xkb_use_extension_reply_t> use(
        xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, 1, 0), nullptr));
    if (!use || !use->supported)
        return;
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    X11::Reply<xcb_xkb_per_client_flags_reply_t> reply(xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
}

void X11HotkeyBackend::Private::readEvents()
{
    while (X11::Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection->get())}) {
        switch (event->response_type & 0x7f) {
        case XCB_KEY_PRESS:
            keyPressed(reinterpret_cast<const xcb_key_press_event_t *>(event.get()));
            break;
        case XCB_KEY_RELEASE:
            keyReleased(reinterpret_cast<const xcb_key_release_event_t *>(event.get()));
            break;
        case XCB_MAPPING_NOTIFY:
            // WORKAROUND: grabs made before a modifier map change keep their
            // old bits; they are right again once re-registered.
            masks = X11::readModifierMasks(connection->get());
            break;
        default:
            break;
        }
    }
}

// Matched on the press: the modifiers are often let go before the key.
void X11HotkeyBackend::Private::keyPressed(const xcb_key_press_event_t *event)
{
    const uint16_t relevant = masks.shift | masks.control | masks.alt | masks.super;
    const uint16_t modifiers = event->state & relevant;
    for (const auto &[id, grab] : grabs) {
        const bool onKey = std::find(grab.keycodes.begin(), grab.keycodes.end(), event->detail) != grab.keycodes.end();
        if (onKey && grab.modifiers == modifiers) {
            held[event->detail] = id;
            emitEvent(id, Event::pressed);
            return;
        }
    }
}

void X11HotkeyBackend::Private::keyReleased(const xcb_key_release_event_t *event)
{
    const auto it = held.find(event->detail);
    if (it == held.end())
        return;
    const quint32 id = it->second;
    held.erase(it);
    if (grabs.count(id))
        emitEvent(id, Event::released);
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
    d->enableDetectableAutoRepeat();
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
    const xcb_setup_t *setup = xcb_get_setup(d->connection->get());
    Grab grab;
    for (const int evdev : evdevCodes) {
        const int keycode = evdev + 8; // X numbers keys as evdev does, shifted by 8
        if (keycode >= setup->min_keycode && keycode <= setup->max_keycode)
            grab.keycodes.push_back(xcb_keycode_t(keycode));
    }
    if (grab.keycodes.empty() || (modifiers.alt && !d->masks.alt) || (modifiers.super && !d->masks.super))
        return Result::invalid;
    grab.modifiers = (modifiers.shift ? d->masks.shift : 0) | (modifiers.control ? d->masks.control : 0)
        | (modifiers.alt ? d->masks.alt : 0) | (modifiers.super ? d->masks.super : 0);
    const std::vector<Combination> combinations = d->combinationsOf(grab);
    bool taken = false;
    const bool ok = d->grabChecked(combinations, &taken);
    // Events read while waiting for the checks sit in xcb's queue, where the
    // socket notifier does not see them.
    QTimer::singleShot(0, d->notifier.get(), [raw = d.get()] { raw->readEvents(); });
    if (!ok) {
        // Any refused combination undoes the whole grab: half a hotkey
        // would work with CapsLock off and not with it on.
        d->ungrabAll(combinations);
        return taken ? Result::taken : Result::invalid;
    }
    d->grabs[id] = grab;
    return Result::grabbed;
}

void X11HotkeyBackend::ungrab(quint32 id)
{
    const auto it = d->grabs.find(id);
    if (it == d->grabs.end())
        return;
    d->ungrabAll(d->combinationsOf(it->second));
    d->grabs.erase(it);
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
    const xcb_setup_t *setup = xcb_get_setup(d->connection->get());
    Grab probe;
    for (const int evdev : evdevCodes) {
        const int keycode = evdev + 8;
        if (keycode >= setup->min_keycode && keycode <= setup->max_keycode)
            probe.keycodes.push_back(xcb_keycode_t(keycode));
    }
    if (probe.keycodes.empty() || (modifiers.alt && !d->masks.alt) || (modifiers.super && !d->masks.super))
        return false;
    probe.modifiers = (modifiers.shift ? d->masks.shift : 0) | (modifiers.control ? d->masks.control : 0)
        | (modifiers.alt ? d->masks.alt : 0) | (modifiers.super ? d->masks.super : 0);
    for (const auto &entry : d->grabs) {
        const Grab &own = entry.second;
        const bool sameKey = std::find_first_of(own.keycodes.begin(), own.keycodes.end(), probe.keycodes.begin(),
                                                probe.keycodes.end()) != own.keycodes.end();
        if (sameKey && own.modifiers == probe.modifiers)
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
