#pragma once

#include "platform/SoundPlayer.h"

#include <QTimer>

struct ca_context;

// The freedesktop sound theme's "screen-capture" event through libcanberra.
// The canberra context, and with it the audio libraries it loads, is opened
// for the first sound of a burst of captures and closed once the captures
// have gone quiet, so that the program idling in the tray holds no audio
// stack. Main thread.
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

private:
    void open();
    void close();

    ca_context *m_context = nullptr;
    void *m_alsa = nullptr;
    QTimer m_closeTimer;
};
