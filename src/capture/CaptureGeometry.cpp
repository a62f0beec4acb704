#include "capture/CaptureGeometry.h"

#include <QPainter>

#include <cmath>

QRect ScreenSnapshot::nativeGeometry() const
{
    return QRect(geometry.topLeft(),
        QSize(int(std::lround(geometry.width() * scale)), int(std::lround(geometry.height() * scale))));
}

const ScreenSnapshot *DisplaySnapshot::screen(quint32 displayID) const
{
    for (const ScreenSnapshot &s : screens) {
        if (s.displayID == displayID)
            return &s;
    }
    return nullptr;
}

namespace CaptureGeometry {

QSize pixelSize(const QSizeF &points, qreal scale)
{
    return QSize(int(std::trunc(points.width() * scale)), int(std::trunc(points.height() * scale)));
}

qreal scaleFor(const DisplaySnapshot &snapshot, quint32 displayID)
{
    const ScreenSnapshot *screen = snapshot.screen(displayID);
    return screen ? screen->scale : FallbackScale;
}

RegionPlan planRegion(const QRectF &rect, const ShareableDisplay &display, const DisplaySnapshot &snapshot)
{
    const ScreenSnapshot *screen = snapshot.screen(display.displayID);
    // Without a screen object nothing says how the display maps points to
    // pixels; its own pixels are read one to one.
    const qreal pixelsPerPoint = screen ? screen->scale : 1.0;
    const QPoint pointOrigin = screen ? screen->geometry.topLeft() : display.geometry.topLeft();
    const QPointF local = rect.topLeft() - QPointF(pointOrigin);
    const QPoint origin = display.geometry.topLeft()
        + QPoint(int(std::floor(local.x() * pixelsPerPoint)), int(std::floor(local.y() * pixelsPerPoint)));
    return {QRect(origin, pixelSize(rect.size(), pixelsPerPoint)),
        pixelSize(rect.size(), scaleFor(snapshot, display.displayID))};
}

static const ScreenSnapshot *screenHolding(const QRect &native, const DisplaySnapshot &snapshot)
{
    for (const ScreenSnapshot &s : snapshot.screens) {
        if (s.nativeGeometry().contains(native.center()))
            return &s;
    }
    for (const ScreenSnapshot &s : snapshot.screens) {
        if (s.nativeGeometry().intersects(native))
            return &s;
    }
    return snapshot.screen(snapshot.mainDisplayID);
}

QRectF toPoints(const QRect &native, const DisplaySnapshot &snapshot)
{
    const ScreenSnapshot *screen = screenHolding(native, snapshot);
    if (!screen)
        return QRectF(native);
    const QPointF origin(screen->geometry.topLeft());
    return QRectF(
        origin + (QPointF(native.topLeft()) - origin) / screen->scale, QSizeF(native.size()) / screen->scale);
}

std::optional<quint32> chooseWindow(
    const QList<WindowInfo> &frontToBack, qint64 ownPid, const DisplaySnapshot &snapshot)
{
    for (const WindowInfo &window : frontToBack) {
        if (window.layer != 0 || window.ownerPid == ownPid || !window.bounds)
            continue;
        const QSizeF size = toPoints(*window.bounds, snapshot).size();
        if (size.width() > 50.0 && size.height() > 50.0)
            return window.number;
    }
    return std::nullopt;
}

quint32 displayForFrame(const QRectF &framePoints, const DisplaySnapshot &snapshot)
{
    for (const ScreenSnapshot &s : snapshot.screens) {
        if (QRectF(s.geometry).intersects(framePoints))
            return s.displayID.value_or(snapshot.mainDisplayID);
    }
    return snapshot.mainDisplayID;
}

QImage placeInSource(const QImage &pixels, const QRect &visible, const QRect &source)
{
    if (visible == source)
        return pixels;
    QImage canvas(source.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    if (!pixels.isNull()) {
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(visible.topLeft() - source.topLeft(), pixels);
    }
    return canvas;
}

} // namespace CaptureGeometry
