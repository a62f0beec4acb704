#pragma once

#include <QWindow>

// Gives one of our windows the keyboard even when it opens while another
// application is in front (for instance after a global shortcut), which a
// window manager's focus-stealing prevention would otherwise refuse.
class WindowActivator
{
public:
    virtual ~WindowActivator();
    // `window` is a mapped top-level window of this process.
    virtual void activate(WId window) = 0;
};
