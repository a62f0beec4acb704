#pragma once

#include "platform/WindowActivator.h"

#include <cstdint>
#include <memory>

namespace Xcb {
class Connection;
}

// Under a window manager: a _NET_ACTIVE_WINDOW request that says it comes
// from a pager (source indication 2) with a current server timestamp, which
// focus-stealing prevention lets through. Without one: SetInputFocus.
class X11WindowActivator final : public WindowActivator
{
public:
    X11WindowActivator();
    ~X11WindowActivator() override;
    void activate(WId window) override;

private:
    bool windowManagerRuns() const;
    uint32_t serverTime();

    std::unique_ptr<Xcb::Connection> m_connection;
    uint32_t m_timeWindow = 0;
};
