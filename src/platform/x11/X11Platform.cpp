#include "platform/x11/X11Platform.h"

#include "platform/CanberraSoundPlayer.h"
#include "platform/StatusNotifierWatcherAvailability.h"
#include "platform/XdgAutostartLoginItems.h"
#include "platform/x11/X11CompositingManager.h"
#include "platform/x11/X11DisplayServer.h"
#include "platform/x11/X11HotkeyBackend.h"
#include "platform/x11/X11KeyboardFocus.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11ScreenCapturePermission.h"
#include "platform/x11/X11ScreenGrabber.h"
#include "platform/x11/X11TrayAvailability.h"
#include "platform/x11/X11WindowActivator.h"
#include "platform/x11/X11WindowList.h"

Platform makeX11Platform()
{
    Platform platform;
    platform.displays = std::make_shared<X11DisplayServer>();
    platform.grabber = std::make_shared<X11ScreenGrabber>();
    platform.windows = std::make_shared<X11WindowList>();
    platform.sound = std::make_shared<CanberraSoundPlayer>();
    platform.hotkeys = X11HotkeyBackend::create();
    platform.keyboardLayout = X11KeyboardLayout::create();
    platform.compositing = std::make_shared<X11CompositingManager>();
    platform.permission = std::make_shared<X11ScreenCapturePermission>();
    platform.focus = std::make_shared<X11KeyboardFocus>();
    platform.activator = std::make_shared<X11WindowActivator>();
    platform.loginItems = std::make_shared<XdgAutostartLoginItems>();
    // Qt shows the icon through a StatusNotifierItem host when one is there
    // as the icon is made, else through an XEmbed tray.
    platform.tray = std::make_shared<AnyTrayAvailability>(QList<std::shared_ptr<TrayAvailability>>{
        std::make_shared<X11TrayAvailability>(), std::make_shared<StatusNotifierWatcherAvailability>()});
    return platform;
}
