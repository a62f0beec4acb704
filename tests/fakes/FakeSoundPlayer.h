#pragma once

#include "platform/SoundPlayer.h"

// Counts the sounds instead of playing them.
class FakeSoundPlayer : public SoundPlayer
{
public:
    void playCaptureSound() override { ++playCount; }
    int playCount = 0;
};
