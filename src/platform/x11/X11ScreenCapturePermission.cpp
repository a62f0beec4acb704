#include "platform/x11/X11ScreenCapturePermission.h"

bool X11ScreenCapturePermission::preflight()
{
    return true;
}

bool X11ScreenCapturePermission::request()
{
    return true;
}

void X11ScreenCapturePermission::openSystemSettings() { }
