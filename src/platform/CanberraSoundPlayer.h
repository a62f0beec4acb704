#pragma once

#include "platform/SoundPlayer.h"

// The freedesktop sound theme's "screen-capture" event through libcanberra.
// One canberra context serves the whole process; it is created on the first
// sound so that a program that never plays one never opens an audio device.
class CanberraSoundPlayer : public SoundPlayer
{
public:
    void playCaptureSound() override;
};
