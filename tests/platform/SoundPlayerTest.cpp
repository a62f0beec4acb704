#include "platform/CanberraSoundPlayer.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace {

bool loaded(const char *library)
{
    void *handle = ::dlopen(library, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

// The sound library comes with the first sound, the audio stack only from a
// sound until the player closes, and back for the next; without a sound card
// nothing fails.
TEST(CanberraSoundPlayer, LoadsTheAudioLibrariesForABurstOfSoundsOnly)
{
    CanberraSoundPlayer player;
    EXPECT_FALSE(loaded("libcanberra.so.0"));
    for (int burst = 0; burst < 2; ++burst) {
        player.playCaptureSound();
        player.playCaptureSound();
        EXPECT_TRUE(loaded("libasound.so.2"));
        player.close();
        EXPECT_FALSE(loaded("libasound.so.2"));
    }
}

} // namespace
