#pragma once

#include "platform/Platform.h"

// The real backends for an X11 session. Call after the QGuiApplication
// exists, on Qt's xcb platform.
Platform makeX11Platform();
