#pragma once

#include "platform/ScreenGrabber.h"
#include "platform/wayland/WaylandOutputs.h"

#include <memory>

// Reads the screen through the XDG desktop portal's Screenshot call
// (non-interactive): one picture of the whole layout per request, cut into
// the displays' parts at their own pixels. The portal writes that picture
// into the user's folders; it is read and removed at once.
class WaylandScreenGrabber : public ScreenGrabber
{
public:
    static constexpr int AnswerTimeoutMs = 20000;

    explicit WaylandScreenGrabber(std::shared_ptr<const WaylandOutputs> outputs);

    QList<ShareableDisplay> displays() override;
    // The portal names no windows.
    QList<ShareableWindow> windows() override;
    QImage grabArea(const QRect &area) override;
    QList<QImage> grabAreas(const QList<QRect> &areas) override;
    QImage grabWindow(quint32 windowID) override;
    // The portal's file itself when it is all of the display.
    DisplayPicture grabDisplay(const QRect &area) override;

    // The part of the layout's `picture` that shows `area` (device pixels of
    // the virtual desktop, inside one output). Throws Error when no output
    // holds the area or the picture does not cover it.
    static QImage cut(const QImage &picture, const QList<WaylandOutput> &outputs, const QRect &area);
    // Where `cut` takes the area from, in a picture of `pictureSize`.
    static QRect sourceOf(const QSize &pictureSize, const QList<WaylandOutput> &outputs, const QRect &area);

    // One picture of the whole layout from the portal. Blocks the calling
    // thread; on the main thread the wait runs on a worker, so no event of
    // ours is handled in between.
    static QImage portalScreenshot();
    // The same picture as the portal encoded it, PNG.
    static QByteArray portalPng();

private:
    std::shared_ptr<const WaylandOutputs> m_outputs;
};
