#pragma once

#include "platform/ScreenGrabber.h"

#include <QImage>
#include <QList>
#include <QRect>

// A display's pixels as they were at one moment.
struct FrozenDisplay
{
    quint32 displayID = 0;
    QRect geometry; // device pixels of the virtual desktop
    QImage image; // geometry.size() pixels
};

// The pictures of the displays that a region selection showed the user,
// taken before its overlays appeared. They travel with the selection to the
// capture request, so the region is read from what the user saw, however
// late the request comes: the live screen may still show the overlay, or
// may have changed since.
using FrozenScreens = QList<FrozenDisplay>;

// A grabber that serves areas lying inside a frozen display from its image
// and passes everything else to the live grabber. Safe on any thread: it
// keeps its own copies of the images.
class FrozenScreenGrabber : public ScreenGrabber
{
public:
    FrozenScreenGrabber(ScreenGrabber &live, FrozenScreens frozen);

    QList<ShareableDisplay> displays() override;
    QList<ShareableWindow> windows() override;
    QImage grabArea(const QRect &area) override;
    QImage grabWindow(quint32 windowID) override;

private:
    ScreenGrabber &m_live;
    FrozenScreens m_frozen;
};
