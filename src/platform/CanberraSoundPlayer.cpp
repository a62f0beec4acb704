#include "platform/CanberraSoundPlayer.h"

#include <dlfcn.h>

namespace {

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) { }

// WORKAROUND: canberra's ALSA backend lets libasound print its configuration
// errors to stderr on a machine without a sound card. Nothing must be printed
// for a missing device, so libasound's error handler is silenced while the
// player holds the library. Looked up at run time: there is nothing to
// silence without ALSA. Can go once canberra installs a handler of its own.
void *loadSilencedAlsa()
{
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    void *alsa = ::dlopen("libasound.so.2", RTLD_NOW);
    if (!alsa)
        return nullptr;
    if (auto setHandler = reinterpret_cast<int (*)(Handler)>(::dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(ignoreAlsaError);
    return alsa;
}

template <typename Function>
bool resolve(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

} // namespace

CanberraSoundPlayer::CanberraSoundPlayer()
{
    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(CloseAfterMs);
    m_closeTimer.callOnTimeout([this] { close(); });
}

CanberraSoundPlayer::~CanberraSoundPlayer()
{
    close();
}

bool CanberraSoundPlayer::open()
{
    // Held open across the context, which loads canberra's ALSA backend, so
    // that the backend finds the silenced library.
    m_alsa = loadSilencedAlsa();
    if (!m_library)
        m_library = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!m_library || !resolve(m_library, "ca_context_create", m_create)
        || !resolve(m_library, "ca_context_destroy", m_destroy)
        || !resolve(m_library, "ca_context_change_props", m_changeProps)
        || !resolve(m_library, "ca_context_play", m_play) || m_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        close();
        return false;
    }
    m_changeProps(m_context, CA_PROP_APPLICATION_NAME, "Quillet", CA_PROP_APPLICATION_ID, "quillet", nullptr);
    return true;
}

void CanberraSoundPlayer::close()
{
    if (m_context)
        m_destroy(m_context);
    m_context = nullptr;
    // ALSA caches its parsed configuration for the process; unloaded with
    // the library, the cache would be lost on every burst of sounds.
    if (m_alsa) {
        if (auto freeConfig = reinterpret_cast<int (*)()>(::dlsym(m_alsa, "snd_config_update_free_global")))
            freeConfig();
    }
    // libcanberra itself stays: unloading it would lose the memory its
    // plugin loader keeps, on every burst. Its audio backend has gone with
    // the context, and ALSA goes here.
    if (m_alsa)
        ::dlclose(m_alsa);
    m_alsa = nullptr;
}

void CanberraSoundPlayer::playCaptureSound()
{
    m_closeTimer.start();
    if (!m_context && !open())
        return;
    // Every failure (no theme sound, no audio device) is deliberately ignored:
    // the capture was saved either way.
    m_play(m_context, 0, CA_PROP_EVENT_ID, "screen-capture", CA_PROP_EVENT_DESCRIPTION, "Screenshot taken",
        nullptr);
}
