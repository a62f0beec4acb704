#include "platform/CanberraSoundPlayer.h"

#include <canberra.h>
#include <dlfcn.h>

namespace {

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) { }

// WORKAROUND: canberra's ALSA backend lets libasound print its configuration
// errors to stderr on a machine without a sound card. Nothing must be printed
// for a missing device, so libasound's error handler is silenced for the
// process. Looked up at run time: there is nothing to silence without ALSA.
// Can go once canberra installs a handler of its own.
void silenceAlsa()
{
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    void *alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!alsa)
        alsa = ::dlopen("libasound.so.2", RTLD_NOW);
    if (!alsa)
        return;
    if (auto setHandler = reinterpret_cast<int (*)(Handler)>(::dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(ignoreAlsaError);
    // Stays loaded: canberra's ALSA backend uses the same library.
}

// Lives until the process ends: canberra plays asynchronously, and a context
// destroyed right after ca_context_play would cut the sound off.
ca_context *processContext()
{
    static ca_context *const context = [] {
        silenceAlsa();
        ca_context *created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS)
            return static_cast<ca_context *>(nullptr);
        ca_context_change_props(
            created, CA_PROP_APPLICATION_NAME, "Quillet", CA_PROP_APPLICATION_ID, "quillet", nullptr);
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
