#pragma once

#include "platform/KeyboardLayout.h"

#include <memory>

// The core keyboard's layouts through xkbcommon, kept current as the
// keyboard mapping or the active layout group changes.
class X11KeyboardLayout : public KeyboardLayout
{
public:
    // None when no X server or no XKB can be reached.
    static std::shared_ptr<X11KeyboardLayout> create();
    ~X11KeyboardLayout() override;

    std::optional<QString> characterForKey(int evdevCode) override;
    std::optional<PhysicalKeyEvent> decodeKeyEvent(quint32 nativeScanCode, quint32 nativeModifiers) override;

    // How often the keymap was downloaded and compiled: it is costly, so
    // only a new mapping should cause it, never a modifier or group change.
    int keymapBuilds() const;

private:
    struct Private;
    explicit X11KeyboardLayout(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};
