#pragma once

#include "platform/KeyboardFocus.h"

class FakeKeyboardFocus : public KeyboardFocus
{
public:
    std::optional<QRect> focusedWindowFrame() const override { return frame; }
    std::optional<QRect> frame;
};
