#include "platform/wayland/WaylandPlatform.h"

#include "platform/CanberraSoundPlayer.h"
#include "platform/XdgAutostartLoginItems.h"
#include "platform/wayland/PortalScreenCapturePermission.h"
#include "platform/wayland/PortalScreenCast.h"
#include "platform/wayland/WaylandDesktop.h"
#include "platform/wayland/GnomeDesktop.h"
#include "platform/wayland/GnomePrimaryMonitor.h"
#include "platform/wayland/WaylandDisplayServer.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/WaylandScreenGrabber.h"

Platform makeWaylandPlatform()
{
    const auto outputs = std::make_shared<WaylandOutputs>();
    // Goes with the outputs, whose primary it names.
    new GnomePrimaryMonitor([raw = outputs.get()](const QString &connector) { raw->setPrimaryName(connector); },
        outputs.get());
    Platform platform;
    platform.displays = std::make_shared<WaylandDisplayServer>(outputs);
    platform.grabber = std::make_shared<WaylandScreenGrabber>(outputs);
    platform.windows = std::make_shared<WaylandWindowList>();
    platform.sound = std::make_shared<CanberraSoundPlayer>();
    platform.hotkeys = std::make_shared<WaylandHotkeyBackend>();
    platform.keyboardLayout = std::make_shared<WaylandKeyboardLayout>();
    platform.compositing = std::make_shared<WaylandCompositingManager>();
    platform.permission = std::make_shared<PortalScreenCapturePermission>();
    platform.focus = std::make_shared<WaylandKeyboardFocus>(outputs);
    platform.activator = std::make_shared<WaylandWindowActivator>();
    platform.loginItems = std::make_shared<XdgAutostartLoginItems>();
    addGnomeDesktop(platform);
    platform.screenCast = std::make_shared<PortalScreenCast>();
    return platform;
}

extern "C" Q_DECL_EXPORT void quilletMakeWaylandPlatform(Platform &platform)
{
    platform = makeWaylandPlatform();
}
