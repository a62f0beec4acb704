#pragma once

#include "platform/x11/XcbSupport.h"

#include <QImage>

// One client window with its frame, read through Composite so that the
// parts other windows cover come out as the window itself draws them.
// Throws Error when the window is gone or the server refuses.
QImage grabClientWindow(const Xcb::Connection &connection, xcb_window_t client);
