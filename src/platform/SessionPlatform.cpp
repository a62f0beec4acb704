#include "platform/SessionPlatform.h"

#include "platform/ProgramFiles.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Platform.h"

#include <QGuiApplication>
#include <QLibrary>

#include <iostream>

namespace SessionPlatform {

namespace {

constexpr char fallback[] = "offscreen";

// The platform asked for before the fallback, e.g. "xcb" of "xcb;offscreen".
QByteArray askedFor()
{
    return qgetenv("QT_QPA_PLATFORM").split(';').value(0);
}

// The Wayland backends from their module, loaded for good.
std::optional<Platform> loadWaylandPlatform()
{
    QLibrary module(ProgramFiles::waylandModuleBeside(QCoreApplication::applicationFilePath()));
    // Bound at once, so that a module that does not fit this program fails
    // here, in one line, rather than at its first call.
    module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    const auto entry = reinterpret_cast<WaylandPlatformEntry>(module.resolve(waylandPlatformEntry));
    if (!entry) {
        std::cerr << "quillet: cannot load the Wayland backends: " << module.errorString().toStdString()
                  << "; reinstall Quillet" << std::endl;
        return std::nullopt;
    }
    Platform platform;
    entry(platform);
    return platform;
}

} // namespace

void chooseQtPlatform()
{
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (platforms.isEmpty()) {
        // Both variables: a WAYLAND_DISPLAY left over in an X11 session's
        // environment must not move Quillet off the X server it can read.
        const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            && qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
        platforms = wayland ? "wayland" : "xcb";
    }
    if (!platforms.contains(fallback))
        platforms += QByteArray(";") + fallback;
    qputenv("QT_QPA_PLATFORM", platforms);
}

bool isSupported()
{
    const QString name = QGuiApplication::platformName();
    if (name == QLatin1String("xcb") || name == QLatin1String("wayland"))
        return true;
    const QByteArray asked = askedFor();
    if (name == QLatin1String(fallback) && asked == "xcb")
        std::cerr << "quillet: cannot open the X11 display \"" << qgetenv("DISPLAY").toStdString() << "\"" << std::endl;
    else if (name == QLatin1String(fallback) && asked == "wayland")
        std::cerr << "quillet: cannot connect to the Wayland display \"" << qgetenv("WAYLAND_DISPLAY").toStdString()
                  << "\"" << std::endl;
    else
        std::cerr << "quillet: needs an X11 display or a Wayland session (Qt's platform here is \""
                  << name.toStdString() << "\")" << std::endl;
    return false;
}

std::optional<Platform> make()
{
    const QString name = QGuiApplication::platformName();
    if (name == QLatin1String("xcb"))
        return makeX11Platform();
    if (name == QLatin1String("wayland"))
        return loadWaylandPlatform();
    isSupported();
    return std::nullopt;
}

} // namespace SessionPlatform
