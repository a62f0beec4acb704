#include "app/QuilletApp.h"
#include "platform/x11/X11Platform.h"

#include <QApplication>

#include <iostream>

int main(int argc, char **argv)
{
    // Quillet reads the screen and grabs keys through X11; in a Wayland
    // session that means XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::cerr << "Quillet needs an X11 display (Qt's xcb platform)." << std::endl;
        return 1;
    }

    QuilletApp quillet(makeX11Platform());
    return QApplication::exec();
}
