#pragma once

#include "platform/CompositingManager.h"

class FakeCompositingManager : public CompositingManager
{
public:
    explicit FakeCompositingManager(bool running = false)
        : running(running)
    {
    }
    bool isRunning() const override { return running; }
    bool running;
};
