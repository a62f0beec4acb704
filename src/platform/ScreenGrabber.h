#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>

// A display as the grabber sees it: its identifier and where its pixels lie
// in the virtual desktop, in device pixels.
struct ShareableDisplay
{
    quint32 displayID = 0;
    QRect geometry;

    friend bool operator==(const ShareableDisplay &, const ShareableDisplay &) = default;
};

// A whole display as the desktop hands it over. A desktop that gives
// programs the screen as a PNG file hands over its bytes when they are all
// of the display: saved as they are, decoded only where pixels are needed.
// Otherwise the image.
struct DisplayPicture
{
    QImage image;
    QByteArray png;
};

// An on-screen window that can be read on its own. `frame` is what the user
// sees of it, decorations included, in device pixels of the virtual desktop.
struct ShareableWindow
{
    quint32 windowID = 0;
    QRect frame;

    friend bool operator==(const ShareableWindow &, const ShareableWindow &) = default;
};

// Reads pixels from the screen. Every operation may be called from any
// thread, also concurrently, and blocks until it is done. Failures of the
// display server are thrown as Error with its reason.
class ScreenGrabber
{
public:
    virtual ~ScreenGrabber();

    virtual QList<ShareableDisplay> displays() = 0;

    // The on-screen windows, desktop windows excluded, front to back.
    virtual QList<ShareableWindow> windows() = 0;

    // The pixels of `area` (device pixels of the virtual desktop, inside the
    // screen), without the mouse pointer.
    virtual QImage grabArea(const QRect &area) = 0;

    // Several areas as they were at one moment. Desktops that hand out one
    // picture of everything per request read it once for all of them.
    virtual QList<QImage> grabAreas(const QList<QRect> &areas)
    {
        QList<QImage> images;
        for (const QRect &area : areas)
            images.append(grabArea(area));
        return images;
    }

    // All of a display, `area` being its geometry.
    virtual DisplayPicture grabDisplay(const QRect &area) { return {grabArea(area), {}}; }

    // One window with its frame, as the user sees it even where another
    // window covers it; its size is the window's `frame`.
    virtual QImage grabWindow(quint32 windowID) = 0;

    // A capture will follow soon (its key is down): get what it needs ready
    // now, so that the grab itself need not wait for it. Optional.
    virtual void prepare() {}
};
