#pragma once

#include "platform/WindowList.h"

// The window list from the window manager's EWMH hints, or from the X
// server's stacking order when no window manager runs. Each call uses a
// connection of its own, so any thread may call.
class X11WindowList final : public WindowList
{
public:
    std::optional<QList<WindowInfo>> frontToBack() override;
};
