#pragma once

#include "platform/ScreenGrabber.h"
#include "platform/WindowList.h"

#include <QList>
#include <QRect>

#include <optional>

// What the main thread knows about one screen, handed to capture workers
// (QScreen itself may only be read on the main thread).
struct ScreenSnapshot
{
    std::optional<quint32> displayID;
    QRect geometry; // points; the top-left corner is also its device-pixel position
    qreal scale = 1.0;

    QRect nativeGeometry() const;
};

struct DisplaySnapshot
{
    QList<ScreenSnapshot> screens;
    quint32 mainDisplayID = 0;

    const ScreenSnapshot *screen(quint32 displayID) const;
};

// The rules that turn points into pixels and pick what to capture. Pure.
namespace CaptureGeometry {

// Scale used when no screen object has the display's identifier.
inline constexpr qreal FallbackScale = 2.0;

// Points times scale, each dimension truncated toward zero.
QSize pixelSize(const QSizeF &points, qreal scale);

qreal scaleFor(const DisplaySnapshot &snapshot, quint32 displayID);

// Where a region is read and how large the result is.
struct RegionPlan
{
    QRect source; // device pixels of the virtual desktop; may run past the display
    QSize resultSize; // what the caller asked for
};

// `rect` is in global points. Pixel origin floor(local × scale), size
// truncated; a display without a screen object is read at its own pixels
// and the result sized at the fallback scale.
RegionPlan planRegion(const QRectF &rect, const ShareableDisplay &display, const DisplaySnapshot &snapshot);

// A device-pixel rectangle of the virtual desktop in global points, through
// the screen that holds its centre (else the first it touches, else the main display).
QRectF toPoints(const QRect &native, const DisplaySnapshot &snapshot);

// The number of the first window, front to back, that is an ordinary window
// (layer 0) of another process and larger than 50 points both ways.
std::optional<quint32> chooseWindow(
    const QList<WindowInfo> &frontToBack, qint64 ownPid, const DisplaySnapshot &snapshot);

// The first screen whose frame meets `framePoints`, else the main display.
quint32 displayForFrame(const QRectF &framePoints, const DisplaySnapshot &snapshot);

// `pixels` (read from `visible`) placed in a transparent image covering `source`.
QImage placeInSource(const QImage &pixels, const QRect &visible, const QRect &source);

} // namespace CaptureGeometry
