#pragma once

#include <QRect>

#include <optional>

// Which window of any application holds the keyboard focus, so that panels
// can appear on the display the user is working on.
class KeyboardFocus
{
public:
    virtual ~KeyboardFocus();
    // The focused top-level window's rectangle in device pixels of the
    // virtual desktop, or nothing when no window has the focus.
    virtual std::optional<QRect> focusedWindowFrame() const = 0;
};
