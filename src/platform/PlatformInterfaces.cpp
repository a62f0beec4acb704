#include "platform/DisplayServer.h"
#include "platform/KeyboardFocus.h"
#include "platform/LoginItems.h"
#include "platform/ScreenCast.h"
#include "platform/ScreenGrabber.h"
#include "platform/ScrollWheel.h"
#include "platform/WindowActivator.h"
#include "platform/WindowList.h"

#include <QCursor>
#include <QGuiApplication>

// The interfaces' destructors live here so their vtables have one home.
DisplayServer::~DisplayServer() = default;
ScreenGrabber::~ScreenGrabber() = default;
WindowList::~WindowList() = default;
KeyboardFocus::~KeyboardFocus() = default;
WindowActivator::~WindowActivator() = default;
LoginItems::~LoginItems() = default;
ScrollWheel::~ScrollWheel() = default;
ScreenCast::~ScreenCast() = default;

// Where the display server reports the pointer wherever it is (X11).
QScreen *KeyboardFocus::screenUnderPointer() const
{
    return QGuiApplication::screenAt(QCursor::pos());
}

QScreen *KeyboardFocus::mainScreen() const
{
    return QGuiApplication::primaryScreen();
}
