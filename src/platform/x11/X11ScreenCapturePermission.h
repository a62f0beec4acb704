#pragma once

#include "platform/ScreenCapturePermission.h"

// Any X11 client may read the screen, so the permission is always granted
// and there are no settings to open.
class X11ScreenCapturePermission : public ScreenCapturePermission
{
public:
    bool preflight() override;
    bool request() override;
    void openSystemSettings() override;
    bool isRequired() const override { return false; }
};
