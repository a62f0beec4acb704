#pragma once

#include "platform/HotkeyBackend.h"

#include <memory>

// Hotkeys as passive key grabs on the root window, over a connection of our
// own so that its detectable auto-repeat leaves Qt's key events untouched.
class X11HotkeyBackend : public HotkeyBackend
{
public:
    // None when no X server can be reached.
    static std::shared_ptr<X11HotkeyBackend> create();
    ~X11HotkeyBackend() override;

    Result grab(quint32 id, const std::vector<int> &evdevCodes, KeyModifiers modifiers) override;
    void ungrab(quint32 id) override;
    void setCallback(Callback callback) override;
    bool isTakenByOthers(const std::vector<int> &evdevCodes, KeyModifiers modifiers) override;

private:
    struct Private;
    explicit X11HotkeyBackend(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};
