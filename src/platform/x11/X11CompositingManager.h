#pragma once

#include "platform/CompositingManager.h"

#include <memory>

namespace Xcb {
class Connection;
}

// A compositing manager owns the selection _NET_WM_CM_S<screen>.
class X11CompositingManager final : public CompositingManager
{
public:
    X11CompositingManager();
    ~X11CompositingManager() override;
    bool isRunning() const override;

private:
    std::unique_ptr<Xcb::Connection> m_connection;
};
