#include "platform/x11/X11WindowActivator.h"

#include "platform/x11/XcbSupport.h"

namespace {

// _NET_ACTIVE_WINDOW's source indication for pagers and other tools that act
// on the user's direct request.
constexpr uint32_t SourcePager = 2;

} // namespace

X11WindowActivator::X11WindowActivator()
    : m_connection(Xcb::Connection::open())
{
}

X11WindowActivator::~X11WindowActivator() = default;

void X11WindowActivator::activate(WId window)
{
    xcb_connection_t *c = m_connection->get();
    const auto target = static_cast<xcb_window_t>(window);
    const uint32_t time = serverTime();
    if (windowManagerRuns()) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = target;
        message.type = Xcb::atom(c, "_NET_ACTIVE_WINDOW");
        message.data.data32[0] = SourcePager;
        message.data.data32[1] = time;
        xcb_send_event(c, false, m_connection->root(),
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char *>(&message));
    } else {
        // Refused (BadMatch) while the window is not yet viewable; the
        // caller activates once the window is exposed, so this is rare and
        // leaves nothing to undo.
        const Xcb::ErrorPtr error(
            xcb_request_check(c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, target, time)));
    }
    xcb_flush(c);
}

bool X11WindowActivator::windowManagerRuns() const
{
    xcb_connection_t *c = m_connection->get();
    const auto check
        = Xcb::property32(c, m_connection->root(), Xcb::atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    return check && !check->empty() && check->front() != XCB_WINDOW_NONE;
}

// X has no request for the time: touching a property of a window of our own
// makes the server report its current time in the PropertyNotify event.
uint32_t X11WindowActivator::serverTime()
{
    xcb_connection_t *c = m_connection->get();
    if (m_timeWindow == 0) {
        m_timeWindow = xcb_generate_id(c);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_timeWindow, m_connection->root(), -1, -1, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_change_property(
        c, XCB_PROP_MODE_APPEND, m_timeWindow, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
    while (Xcb::Reply<xcb_generic_event_t> event{xcb_wait_for_event(c)}) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
            return reinterpret_cast<xcb_property_notify_event_t *>(event.get())->time;
    }
    return XCB_CURRENT_TIME;
}
