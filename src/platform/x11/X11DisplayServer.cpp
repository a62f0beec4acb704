#include "platform/x11/X11DisplayServer.h"

#include "platform/x11/X11Monitors.h"
#include "platform/x11/XcbSupport.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

X11DisplayServer::X11DisplayServer() = default;
X11DisplayServer::~X11DisplayServer() = default;

// Opened on first use, so that building the service does not need a server.
const Xcb::Connection &X11DisplayServer::connection() const
{
    if (!m_connection || xcb_connection_has_error(m_connection->get()))
        m_connection = Xcb::Connection::open();
    return *m_connection;
}

static QRect nativeGeometry(const QScreen &screen)
{
    // Qt keeps a screen's top-left corner in device pixels and scales only its size.
    const QRect g = screen.geometry();
    const qreal dpr = screen.devicePixelRatio();
    return QRect(g.topLeft(), QSize(int(std::lround(g.width() * dpr)), int(std::lround(g.height() * dpr))));
}

std::optional<quint32> X11DisplayServer::displayIdentifier(const QScreen &screen) const
{
    const Xcb::Connection &c = connection();
    const std::vector<X11Monitor> monitors = queryMonitors(c.get(), c.root());
    for (const X11Monitor &monitor : monitors) {
        if (monitor.nameText == screen.name())
            return monitor.name;
    }
    const QRect native = nativeGeometry(screen);
    for (const X11Monitor &monitor : monitors) {
        if (monitor.geometry == native)
            return monitor.name;
    }
    return std::nullopt;
}

std::optional<quint32> X11DisplayServer::mainDisplayID() const
{
    const Xcb::Connection &c = connection();
    const std::vector<X11Monitor> monitors = queryMonitors(c.get(), c.root());
    if (monitors.empty())
        return std::nullopt;
    for (const X11Monitor &monitor : monitors) {
        if (monitor.primary)
            return monitor.name;
    }
    return monitors.front().name;
}

void X11DisplayServer::sync() const
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return;
    xcb_connection_t *c = x11->connection();
    // Requests are carried out in order: the reply comes after all of them.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}
