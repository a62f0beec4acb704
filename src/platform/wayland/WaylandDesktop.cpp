#include "platform/wayland/WaylandDesktop.h"

#include "platform/Error.h"

#include <QGuiApplication>
#include <QWindow>

void WaylandWindowActivator::activate(WId window)
{
    for (QWindow *candidate : QGuiApplication::topLevelWindows()) {
        if (candidate->winId() == window) {
            candidate->requestActivate();
            return;
        }
    }
}

std::optional<QList<WindowInfo>> WaylandWindowList::frontToBack()
{
    throw Error(QStringLiteral("Window capture is not available on this desktop."),
        QStringLiteral("On Wayland, GNOME does not let programs read other programs' windows. "
                       "Capture a region around the window instead."));
}
