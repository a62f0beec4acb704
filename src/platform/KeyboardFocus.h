#pragma once

#include <QRect>

#include <optional>

class QScreen;

// Which window of any application holds the keyboard focus, so that panels
// can appear on the display the user is working on.
class KeyboardFocus
{
public:
    virtual ~KeyboardFocus();
    // The focused top-level window's rectangle in device pixels of the
    // virtual desktop, or nothing when no window has the focus.
    virtual std::optional<QRect> focusedWindowFrame() const = 0;
    // The screen the pointer is on now, or null when the platform cannot
    // tell; never where it was some time ago.
    virtual QScreen *screenUnderPointer() const;
    // The desktop's main (primary) display.
    virtual QScreen *mainScreen() const;
};
