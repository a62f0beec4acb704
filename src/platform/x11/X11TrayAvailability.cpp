#include "platform/x11/X11TrayAvailability.h"

#include "platform/x11/XcbSupport.h"

#include <QSocketNotifier>

#include <xcb/xfixes.h>

X11TrayAvailability::X11TrayAvailability(QObject *parent)
    : TrayAvailability(parent)
    , m_connection(Xcb::Connection::open())
{
    xcb_connection_t *c = m_connection->get();
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(m_connection->screenNumber());
    m_selection = Xcb::atom(c, name.constData());
    // The server answers XFixes requests only after the version is asked.
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    const Xcb::Reply<xcb_xfixes_query_version_reply_t> version(
        xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 1, 0), nullptr));
    if (xfixes && xfixes->present && version) {
        m_xfixesFirstEvent = xfixes->first_event;
        xcb_xfixes_select_selection_input(c, m_connection->root(), m_selection,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(c);
        m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11TrayAvailability::readEvents);
    }
    // Asked after selecting the events, so an owner that comes in between is not missed.
    m_available = ownerExists();
}

X11TrayAvailability::~X11TrayAvailability() = default;

bool X11TrayAvailability::ownerExists() const
{
    xcb_connection_t *c = m_connection->get();
    const Xcb::Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr));
    return reply && reply->owner != XCB_NONE;
}

void X11TrayAvailability::readEvents()
{
    xcb_connection_t *c = m_connection->get();
    std::optional<bool> owned;
    while (const Xcb::Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
        if ((event->response_type & 0x7f) != m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
            continue;
        const auto *notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event.get());
        if (notify->selection == m_selection)
            owned = notify->owner != XCB_NONE;
    }
    // A lost connection (the server went away) leaves nothing to show an icon on.
    if (xcb_connection_has_error(c)) {
        m_notifier->setEnabled(false);
        owned = false;
    }
    if (!owned || *owned == m_available)
        return;
    m_available = *owned;
    emit availableChanged(m_available);
}
