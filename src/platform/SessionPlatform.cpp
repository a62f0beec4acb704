#include "platform/SessionPlatform.h"

#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Platform.h"

#include <QGuiApplication>

#include <iostream>

namespace SessionPlatform {

void chooseQtPlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    // Both variables: a WAYLAND_DISPLAY left over in an X11 session's
    // environment must not move Quillet off the X server it can read.
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    qputenv("QT_QPA_PLATFORM", wayland ? "wayland" : "xcb");
}

std::optional<Platform> make()
{
    const QString name = QGuiApplication::platformName();
    if (name == QLatin1String("xcb"))
        return makeX11Platform();
    if (name == QLatin1String("wayland"))
        return makeWaylandPlatform();
    std::cerr << "Quillet needs an X11 display or a Wayland session (Qt's platform here is \""
              << name.toStdString() << "\")." << std::endl;
    return std::nullopt;
}

} // namespace SessionPlatform
