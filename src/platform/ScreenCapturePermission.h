#pragma once

// The platform's permission to read other applications' pixels. Main thread.
class ScreenCapturePermission
{
public:
    virtual ~ScreenCapturePermission() = default;

    // Whether the permission is granted now; never prompts the user.
    virtual bool preflight() = 0;

    // Asks for the permission; the platform may show its own prompt and
    // answer only later. Returns whether it is granted at the time of return.
    virtual bool request() = 0;

    // Opens the place where the user grants the permission, where there is one.
    virtual void openSystemSettings() = 0;

    // Whether this desktop has such a permission at all, and so a place to
    // grant it; where it has none, every program may read the screen and
    // nothing should send the user looking for a setting.
    virtual bool isRequired() const { return true; }
};
