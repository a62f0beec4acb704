#include "app/MainScreen.h"

#include "platform/KeyboardFocus.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace MainScreen {

namespace {

// A screen keeps its device-pixel origin as its position in points; only
// its size is divided by the scale.
QScreen *screenAtDevicePixel(const QPoint &pixel)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect geometry = screen->geometry();
        const QRect native(
            geometry.topLeft(), (QSizeF(geometry.size()) * screen->devicePixelRatio()).toSize());
        if (native.contains(pixel))
            return screen;
    }
    return nullptr;
}

} // namespace

QScreen *find(const KeyboardFocus *focus)
{
    if (focus) {
        if (const std::optional<QRect> frame = focus->focusedWindowFrame()) {
            if (QScreen *screen = screenAtDevicePixel(frame->center()))
                return screen;
        }
    }
    QScreen *underPointer = focus ? focus->screenUnderPointer() : QGuiApplication::screenAt(QCursor::pos());
    if (underPointer)
        return underPointer;
    return focus ? focus->mainScreen() : QGuiApplication::primaryScreen();
}

} // namespace MainScreen
