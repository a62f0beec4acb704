#pragma once

#include "platform/CompositingManager.h"

class FakeCompositingManager : public CompositingManager
{
public:
    bool running = false;
    bool isRunning() const override { return running; }
};
