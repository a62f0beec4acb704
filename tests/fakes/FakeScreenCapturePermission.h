#pragma once

#include "platform/ScreenCapturePermission.h"

// Grants the permission from the `grantOnCheck`-th preflight on (1 = at
// once, 0 = never); counts what it was asked.
class FakeScreenCapturePermission : public ScreenCapturePermission
{
public:
    int grantOnCheck = 0;
    int checks = 0;
    int requests = 0;
    int settingsOpened = 0;
    bool required = true;

    bool preflight() override
    {
        ++checks;
        return grantOnCheck > 0 && checks >= grantOnCheck;
    }
    bool request() override
    {
        ++requests;
        return false;
    }
    void openSystemSettings() override { ++settingsOpened; }
    bool isRequired() const override { return required; }
};
