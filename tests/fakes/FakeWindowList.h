#pragma once

#include "platform/WindowList.h"

class FakeWindowList : public WindowList
{
public:
    std::optional<QList<WindowInfo>> windows = QList<WindowInfo>{};

    std::optional<QList<WindowInfo>> frontToBack() override { return windows; }
};
