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

// Images of the displays that stand in for the live screen while they are
// held. The overlay holds the images it showed the user while its selection
// is being captured, so the capture reads what the user saw, not the
// overlay itself. Main thread; shared by the overlay and the capture service.
class ScreenFreeze
{
public:
    void hold(QList<FrozenDisplay> displays) { m_displays = std::move(displays); }
    void release() { m_displays.clear(); }
    const QList<FrozenDisplay> &frozen() const { return m_displays; }

private:
    QList<FrozenDisplay> m_displays;
};

// A grabber that serves areas lying inside a frozen display from its image
// and passes everything else to the live grabber. Safe on any thread: it
// keeps its own copies of the images.
class FrozenScreenGrabber : public ScreenGrabber
{
public:
    FrozenScreenGrabber(ScreenGrabber &live, QList<FrozenDisplay> frozen);

    QList<ShareableDisplay> displays() override;
    QList<ShareableWindow> windows() override;
    QImage grabArea(const QRect &area) override;
    QImage grabWindow(quint32 windowID) override;

private:
    ScreenGrabber &m_live;
    QList<FrozenDisplay> m_frozen;
};
