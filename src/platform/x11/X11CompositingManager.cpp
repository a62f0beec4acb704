#include "platform/x11/X11CompositingManager.h"

#include "platform/x11/XcbSupport.h"

X11CompositingManager::X11CompositingManager()
    : m_connection(Xcb::Connection::open())
{
}

X11CompositingManager::~X11CompositingManager() = default;

bool X11CompositingManager::isRunning() const
{
    xcb_connection_t *c = m_connection->get();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(m_connection->screenNumber());
    const xcb_atom_t selection = Xcb::atom(c, name.constData());
    const Xcb::Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return reply && reply->owner != XCB_NONE;
}
