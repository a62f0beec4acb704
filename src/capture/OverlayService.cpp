#include "capture/OverlayService.h"

#include "platform/Error.h"
#include "capture/DisplayLookup.h"
#include "capture/SelectionOverlayView.h"
#include "platform/CompositingManager.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

OverlayService::OverlayService(ScreenGrabber &grabber, CompositingManager &compositing, QObject *parent)
    : QObject(parent)
    , m_grabber(grabber)
    , m_compositing(compositing)
{
}

OverlayService::~OverlayService()
{
    dismissOverlays();
}

void OverlayService::showOverlays()
{
    dismissOverlays();
    QList<std::pair<QScreen *, quint32>> screens;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (const std::optional<quint32> id = displayIDOfScreen(screen))
            screens.append({screen, *id});
    }
    QList<quint32> ids;
    for (const auto &entry : screens)
        ids.append(entry.second);
    // Taken before any overlay maps, so no overlay is in the pictures. They
    // are also what the selection is captured from: even a translucent
    // overlay is still on the screen when the selection completes.
    m_frozen = freezeDisplays(ids);
    // Without a compositing manager alpha means nothing, so the overlay
    // shows the picture itself instead of dimming the live screen.
    const bool live = m_compositing.isRunning();
    for (const auto &[screen, id] : screens) {
        QImage frozen;
        for (const FrozenDisplay &display : m_frozen) {
            if (display.displayID == id && !live)
                frozen = display.image;
        }
        m_views[id] = makeView(screen, id, frozen);
    }
    grabInputOnActiveScreen();
}

FrozenScreens OverlayService::freezeDisplays(const QList<quint32> &displayIDs) const
{
    FrozenScreens frozen;
    try {
        QList<QRect> areas;
        for (const ShareableDisplay &display : m_grabber.displays()) {
            if (displayIDs.contains(display.displayID)) {
                frozen.append({display.displayID, display.geometry, {}});
                areas.append(display.geometry);
            }
        }
        const QList<QImage> images = m_grabber.grabAreas(areas);
        for (qsizetype i = 0; i < frozen.size() && i < images.size(); ++i)
            frozen[i].image = images[i];
    } catch (const Error &) {
        // A screen that cannot be read is dimmed live: still a working
        // selection, only without the still picture.
        frozen.clear();
    }
    return frozen;
}

SelectionOverlayView *OverlayService::makeView(QScreen *screen, quint32 displayID, const QImage &frozen)
{
    auto *view = new SelectionOverlayView;
    view->displayID = displayID;
    if (!frozen.isNull()) {
        QImage picture = frozen;
        picture.setDevicePixelRatio(screen->devicePixelRatio());
        view->setFrozenBackground(picture);
    }
    const QPointer<OverlayService> self(this);
    view->onSelectionComplete = [self, displayID](QRectF rect) {
        if (self)
            self->complete(rect, displayID);
    };
    view->onCancel = [self] {
        if (self)
            self->cancel();
    };
    view->setScreen(screen);
    view->setGeometry(screen->geometry());
    // Desktops that place windows themselves (GNOME on Wayland) honour no
    // position but do cover the whole output, top bar included, for a
    // fullscreen window. An X11 overlay is unmanaged and keeps its geometry;
    // asking for fullscreen there would keep it from taking the keyboard
    // over an open alert of ours.
    if (m_compositing.keepsWindowPositions())
        view->show();
    else
        view->showFullScreen();
    return view;
}

void OverlayService::grabInputOnActiveScreen()
{
    // Escape goes to one view; the one under the pointer is where the user looks.
    const QScreen *active = QGuiApplication::screenAt(QCursor::pos());
    SelectionOverlayView *target = nullptr;
    for (const auto &[id, view] : m_views) {
        if (view && (!target || view->screen() == active))
            target = view;
    }
    if (target)
        target->grabInput();
}

void OverlayService::complete(QRectF rect, quint32 displayID)
{
    // The pictures go with the selection, so the capture reads what the user
    // saw whenever it is made, not the screen, which still shows the overlays.
    const FrozenScreens seen = m_frozen;
    const SelectionCallback callback = onSelectionComplete;
    if (callback)
        callback(rect, displayID, seen);
    dismissOverlays();
}

void OverlayService::cancel()
{
    const CancelCallback callback = onSelectionCancelled;
    if (callback)
        callback();
    dismissOverlays();
}

void OverlayService::dismissOverlays()
{
    for (const auto &[id, view] : m_views) {
        if (!view)
            continue;
        view->onSelectionComplete = nullptr;
        view->onCancel = nullptr;
        view->hide();
        // Deferred: the view may be inside its own event handler right now.
        view->deleteLater();
    }
    m_views.clear();
    m_frozen.clear();
}

std::map<quint32, SelectionOverlayView *> OverlayService::overlayViews() const
{
    std::map<quint32, SelectionOverlayView *> views;
    for (const auto &[id, view] : m_views) {
        if (view)
            views[id] = view;
    }
    return views;
}
