#pragma once

#include "platform/SoundPlayer.h"

#include <canberra.h>

#include <QTimer>

// The freedesktop sound theme's "screen-capture" event through libcanberra,
// loaded with the first sound (a user who turned sounds off never loads it).
// Its context, and with it the audio backend and ALSA, is opened for a burst
// of captures and closed once they have gone quiet, so that the program
// idling in the tray holds no audio stack. Main thread.
class CanberraSoundPlayer : public SoundPlayer
{
public:
    // Longer than any capture sound: closing the context cuts a sound off.
    static constexpr int CloseAfterMs = 10000;

    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer &) = delete;
    CanberraSoundPlayer &operator=(const CanberraSoundPlayer &) = delete;

    void playCaptureSound() override;
    // What the player does once no sound came for CloseAfterMs.
    void close();

private:
    bool open();

    void *m_library = nullptr;
    void *m_alsa = nullptr;
    ca_context *m_context = nullptr;
    decltype(&ca_context_create) m_create = nullptr;
    decltype(&ca_context_destroy) m_destroy = nullptr;
    decltype(&ca_context_change_props) m_changeProps = nullptr;
    decltype(&ca_context_play) m_play = nullptr;
    QTimer m_closeTimer;
};
