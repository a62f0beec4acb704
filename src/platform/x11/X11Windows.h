#pragma once

#include "platform/x11/XcbSupport.h"

#include <QRect>

#include <optional>
#include <vector>

// Stacking layers of the window list; 0 is an ordinary application window.
namespace X11Layer {
inline constexpr int desktop = -2147483623;
inline constexpr int normal = 0;
inline constexpr int floating = 3;
inline constexpr int dock = 20;
} // namespace X11Layer

// A top-level client window as a window manager (or, without one, the X
// server) presents it.
struct X11ClientWindow
{
    xcb_window_t id = XCB_WINDOW_NONE;
    QRect bounds; // what the user sees: decorations in, invisible shadows out
    int layer = X11Layer::normal;
    qint64 pid = 0; // 0 when unknown
};

// The on-screen client windows of the current desktop, front to back.
std::vector<X11ClientWindow> clientWindowsFrontToBack(const Xcb::Connection &connection);

// The bounds of a client window; nothing when it no longer exists.
std::optional<QRect> clientBounds(const Xcb::Connection &connection, xcb_window_t client);

// A window's rectangle in the root, its border included.
std::optional<QRect> outerGeometry(const Xcb::Connection &connection, xcb_window_t window);

// The child of the root that holds `window`: the window manager's frame, or
// the window itself without a reparenting window manager.
std::optional<xcb_window_t> topLevelAncestor(const Xcb::Connection &connection, xcb_window_t window);
