#pragma once

// Plays the short sound that confirms a saved capture. Playing never fails
// from the caller's point of view: a missing sound or audio device is silent.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void playCaptureSound() = 0;
};
