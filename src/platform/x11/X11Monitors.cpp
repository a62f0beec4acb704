#include "platform/x11/X11Monitors.h"

#include "platform/x11/XcbSupport.h"

#include <xcb/randr.h>

static bool hasMonitors(xcb_connection_t *c)
{
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (!ext || !ext->present)
        return false;
    Xcb::Reply<xcb_randr_query_version_reply_t> version{
        xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr)};
    return version && (version->major_version > 1 || version->minor_version >= 5);
}

std::vector<X11Monitor> queryMonitors(xcb_connection_t *c, xcb_window_t root)
{
    std::vector<X11Monitor> monitors;
    if (!hasMonitors(c))
        return monitors;
    Xcb::Reply<xcb_randr_get_monitors_reply_t> reply{
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root, true), nullptr)};
    if (!reply)
        return monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t *m = it.data;
        monitors.push_back({m->name, {}, QRect(m->x, m->y, m->width, m->height), bool(m->primary)});
    }
    for (X11Monitor &monitor : monitors)
        monitor.nameText = Xcb::atomName(c, monitor.name);
    return monitors;
}
