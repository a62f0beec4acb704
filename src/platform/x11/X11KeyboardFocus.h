#pragma once

#include "platform/KeyboardFocus.h"

#include <memory>

namespace Xcb {
class Connection;
}

// The window named by the root's _NET_ACTIVE_WINDOW, else the X input focus
// when it rests on a top-level window.
class X11KeyboardFocus final : public KeyboardFocus
{
public:
    X11KeyboardFocus();
    ~X11KeyboardFocus() override;
    std::optional<QRect> focusedWindowFrame() const override;

private:
    std::unique_ptr<Xcb::Connection> m_connection;
};
