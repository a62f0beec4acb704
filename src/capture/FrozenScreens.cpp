#include "capture/FrozenScreens.h"

FrozenScreenGrabber::FrozenScreenGrabber(ScreenGrabber &live, FrozenScreens frozen)
    : m_live(live)
    , m_frozen(std::move(frozen))
{
}

QList<ShareableDisplay> FrozenScreenGrabber::displays()
{
    return m_live.displays();
}

QList<ShareableWindow> FrozenScreenGrabber::windows()
{
    return m_live.windows();
}

QImage FrozenScreenGrabber::grabArea(const QRect &area)
{
    for (const FrozenDisplay &display : m_frozen) {
        if (display.geometry.contains(area) && display.image.size() == display.geometry.size())
            return display.image.copy(area.translated(-display.geometry.topLeft()));
    }
    return m_live.grabArea(area);
}

QImage FrozenScreenGrabber::grabWindow(quint32 windowID)
{
    return m_live.grabWindow(windowID);
}
