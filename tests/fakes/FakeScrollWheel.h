#pragma once

#include "platform/ScrollWheel.h"

// A wheel the test turns by setting `position`.
class FakeScrollWheel : public ScrollWheel
{
public:
    bool startCounting() override
    {
        counting = available;
        position = 0;
        return available;
    }
    void stopCounting() override { counting = false; }
    double steps() override { return position; }

    bool available = true;
    bool counting = false;
    double position = 0;
};
