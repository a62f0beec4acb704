#include "platform/x11/X11WindowList.h"

#include "platform/x11/X11Windows.h"

std::optional<QList<WindowInfo>> X11WindowList::frontToBack()
{
    const std::unique_ptr<Xcb::Connection> connection = Xcb::Connection::open();
    QList<WindowInfo> result;
    for (const X11ClientWindow &window : clientWindowsFrontToBack(*connection))
        result.append({window.id, window.pid, window.layer, window.bounds});
    return result;
}
