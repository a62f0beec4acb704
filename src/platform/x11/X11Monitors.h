#pragma once

#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <vector>

// A RandR 1.5 monitor. Its name atom is the display identifier: the server
// keeps an atom for as long as it runs, and virtual monitors made with
// `xrandr --setmonitor` have no output id of their own.
struct X11Monitor
{
    xcb_atom_t name = XCB_ATOM_NONE;
    QString nameText;
    QRect geometry; // device pixels
    bool primary = false;
};

// The active monitors in the server's order; empty when RandR 1.5 is missing.
std::vector<X11Monitor> queryMonitors(xcb_connection_t *c, xcb_window_t root);
