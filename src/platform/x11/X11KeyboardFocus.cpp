#include "platform/x11/X11KeyboardFocus.h"

#include "platform/x11/XcbSupport.h"

namespace {

// The child of the root that holds `window`: focus often rests on a
// subwindow of a top-level window.
xcb_window_t topLevelOf(xcb_connection_t *c, xcb_window_t root, xcb_window_t window)
{
    while (window != XCB_WINDOW_NONE && window != root) {
        const Xcb::Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == root)
            return window;
        window = tree->parent;
    }
    return XCB_WINDOW_NONE;
}

xcb_window_t focusedWindow(xcb_connection_t *c, xcb_window_t root)
{
    const auto active = Xcb::property32(c, root, Xcb::atom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (active && !active->empty() && active->front() != XCB_WINDOW_NONE)
        return active->front();
    const Xcb::Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    // PointerRoot (1) and None mean that no window holds the focus.
    if (!focus || focus->focus <= XCB_INPUT_FOCUS_POINTER_ROOT)
        return XCB_WINDOW_NONE;
    return topLevelOf(c, root, focus->focus);
}

} // namespace

X11KeyboardFocus::X11KeyboardFocus()
    : m_connection(Xcb::Connection::open())
{
}

X11KeyboardFocus::~X11KeyboardFocus() = default;

std::optional<QRect> X11KeyboardFocus::focusedWindowFrame() const
{
    xcb_connection_t *c = m_connection->get();
    const xcb_window_t window = focusedWindow(c, m_connection->root());
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    const Xcb::Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const Xcb::Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, m_connection->root(), 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}
