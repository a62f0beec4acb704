#include "platform/x11/X11Windows.h"

#include <xcb/res.h>

#include <algorithm>
#include <cstring>

namespace {

struct Atoms
{
    xcb_atom_t clientListStacking, currentDesktop, wmDesktop, wmState, wmStateHidden, wmWindowType,
        typeNormal, typeDialog, typeDesktop, typeDock, wmPid, frameExtents, gtkFrameExtents;

    explicit Atoms(xcb_connection_t *c)
    {
        const char *names[] = {"_NET_CLIENT_LIST_STACKING", "_NET_CURRENT_DESKTOP", "_NET_WM_DESKTOP",
            "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL",
            "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_WINDOW_TYPE_DESKTOP", "_NET_WM_WINDOW_TYPE_DOCK",
            "_NET_WM_PID", "_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS"};
        xcb_atom_t *fields[]
            = {&clientListStacking, &currentDesktop, &wmDesktop, &wmState, &wmStateHidden, &wmWindowType,
                &typeNormal, &typeDialog, &typeDesktop, &typeDock, &wmPid, &frameExtents, &gtkFrameExtents};
        xcb_intern_atom_cookie_t cookies[std::size(names)];
        for (size_t i = 0; i < std::size(names); ++i)
            cookies[i] = xcb_intern_atom(c, false, uint16_t(strlen(names[i])), names[i]);
        for (size_t i = 0; i < std::size(names); ++i) {
            Xcb::Reply<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(c, cookies[i], nullptr)};
            *fields[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        }
    }
};

int layerOf(xcb_connection_t *c, xcb_window_t w, const Atoms &a)
{
    const auto types = Xcb::property32(c, w, a.wmWindowType, XCB_ATOM_ATOM);
    if (!types || types->empty())
        return X11Layer::normal;
    // The first type listed is the preferred one.
    const xcb_atom_t type = types->front();
    if (type == a.typeNormal || type == a.typeDialog)
        return X11Layer::normal;
    if (type == a.typeDesktop)
        return X11Layer::desktop;
    if (type == a.typeDock)
        return X11Layer::dock;
    return X11Layer::floating;
}

qint64 pidFromXRes(xcb_connection_t *c, xcb_window_t w)
{
    xcb_res_client_id_spec_t wanted{w, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    Xcb::Reply<xcb_res_query_client_ids_reply_t> reply{
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &wanted), nullptr)};
    if (!reply)
        return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        const auto &[id, length] = *it.data;
        if ((id.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && length == 4)
            return *xcb_res_client_id_value_value(it.data);
    }
    return 0;
}

qint64 pidOf(xcb_connection_t *c, xcb_window_t w, const Atoms &a)
{
    const auto pid = Xcb::property32(c, w, a.wmPid, XCB_ATOM_CARDINAL);
    if (pid && !pid->empty() && pid->front() != 0)
        return pid->front();
    return pidFromXRes(c, w);
}

bool isViewable(xcb_connection_t *c, xcb_window_t w, bool requireManageable)
{
    Xcb::Reply<xcb_get_window_attributes_reply_t> attributes{
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr)};
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return false;
    return !requireManageable
        || (attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT && !attributes->override_redirect);
}

bool isOnCurrentDesktop(xcb_connection_t *c, xcb_window_t root, xcb_window_t w, const Atoms &a)
{
    const auto desktop = Xcb::property32(c, w, a.wmDesktop, XCB_ATOM_CARDINAL);
    const auto current = Xcb::property32(c, root, a.currentDesktop, XCB_ATOM_CARDINAL);
    if (!desktop || desktop->empty() || !current || current->empty())
        return true;
    return desktop->front() == 0xFFFFFFFFu || desktop->front() == current->front();
}

bool isHidden(xcb_connection_t *c, xcb_window_t w, const Atoms &a)
{
    const auto states = Xcb::property32(c, w, a.wmState, XCB_ATOM_ATOM);
    return states && std::find(states->begin(), states->end(), a.wmStateHidden) != states->end();
}

// Without a window manager the stacking order is the root's children, bottom first.
std::vector<xcb_window_t> unmanagedTopLevels(xcb_connection_t *c, xcb_window_t root)
{
    std::vector<xcb_window_t> result;
    Xcb::Reply<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr)};
    if (!tree)
        return result;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
        if (isViewable(c, children[i], true))
            result.push_back(children[i]);
    }
    return result;
}

QRect edgesRemoved(const QRect &rect, const std::optional<std::vector<uint32_t>> &extents, int sign)
{
    if (!extents || extents->size() < 4)
        return rect;
    const auto e = [&](int i) { return sign * int((*extents)[i]); }; // left, right, top, bottom
    return rect.adjusted(e(0), e(2), -e(1), -e(3));
}

std::optional<QRect> boundsWith(const Xcb::Connection &connection, xcb_window_t client, const Atoms &atoms)
{
    xcb_connection_t *c = connection.get();
    const std::optional<QRect> outer = outerGeometry(connection, client);
    if (!outer)
        return std::nullopt;
    // Decorations the window manager adds are part of what the user sees;
    // shadow margins a client draws around itself are not.
    const QRect framed
        = edgesRemoved(*outer, Xcb::property32(c, client, atoms.frameExtents, XCB_ATOM_CARDINAL), -1);
    return edgesRemoved(framed, Xcb::property32(c, client, atoms.gtkFrameExtents, XCB_ATOM_CARDINAL), 1);
}

} // namespace

std::optional<QRect> outerGeometry(const Xcb::Connection &connection, xcb_window_t window)
{
    xcb_connection_t *c = connection.get();
    Xcb::Reply<xcb_get_geometry_reply_t> geometry{
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr)};
    Xcb::Reply<xcb_translate_coordinates_reply_t> origin{xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, connection.root(), 0, 0), nullptr)};
    if (!geometry || !origin)
        return std::nullopt;
    const int border = geometry->border_width;
    return QRect(origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
        geometry->height + 2 * border);
}

std::optional<QRect> clientBounds(const Xcb::Connection &connection, xcb_window_t client)
{
    return boundsWith(connection, client, Atoms(connection.get()));
}

std::vector<X11ClientWindow> clientWindowsFrontToBack(const Xcb::Connection &connection)
{
    xcb_connection_t *c = connection.get();
    const xcb_window_t root = connection.root();
    const Atoms atoms(c);
    const auto stacking = Xcb::property32(c, root, atoms.clientListStacking, XCB_ATOM_WINDOW);
    std::vector<xcb_window_t> candidates;
    if (stacking)
        candidates.assign(stacking->rbegin(), stacking->rend());
    else
        candidates = unmanagedTopLevels(c, root);

    std::vector<X11ClientWindow> windows;
    for (xcb_window_t w : candidates) {
        if (stacking
            && (!isViewable(c, w, false) || isHidden(c, w, atoms) || !isOnCurrentDesktop(c, root, w, atoms)))
            continue;
        const std::optional<QRect> bounds = boundsWith(connection, w, atoms);
        if (!bounds)
            continue; // gone meanwhile
        windows.push_back({w, *bounds, layerOf(c, w, atoms), pidOf(c, w, atoms)});
    }
    return windows;
}

std::optional<xcb_window_t> topLevelAncestor(const Xcb::Connection &connection, xcb_window_t window)
{
    xcb_connection_t *c = connection.get();
    for (xcb_window_t w = window;;) {
        Xcb::Reply<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr)};
        if (!tree)
            return std::nullopt;
        if (tree->parent == connection.root() || tree->parent == XCB_WINDOW_NONE)
            return w;
        w = tree->parent;
    }
}
