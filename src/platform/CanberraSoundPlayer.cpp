#include "platform/CanberraSoundPlayer.h"

#include <canberra.h>

namespace {

// Lives until the process ends: canberra plays asynchronously, and a context
// destroyed right after ca_context_play would cut the sound off.
ca_context *processContext()
{
    static ca_context *const context = [] {
        ca_context *created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS)
            return static_cast<ca_context *>(nullptr);
        ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Quillet", CA_PROP_APPLICATION_ID,
                                "quillet", nullptr);
        return created;
    }();
    return context;
}

} // namespace

void CanberraSoundPlayer::playCaptureSound()
{
    ca_context *context = processContext();
    if (!context)
        return;
    // Every failure (no theme sound, no audio device) is deliberately ignored:
    // the capture was saved either way.
    ca_context_play(context, 0, CA_PROP_EVENT_ID, "screen-capture", CA_PROP_EVENT_DESCRIPTION,
                    "Screenshot taken", nullptr);
}
