#pragma once

#include "capture/FrozenScreens.h"

#include <QObject>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <map>

class CompositingManager;
class QScreen;
class ScreenGrabber;
class SelectionOverlayView;
class QWidget;

// Puts a selection overlay on every screen that has a display identifier
// and reports the region the user drags out on one of them, or that the
// user pressed Escape. Lives as long as the process; the overlays live only
// while a selection is in progress. Main thread.
class OverlayService : public QObject
{
    Q_OBJECT

public:
    // The region in global points, the display it was dragged on, and the
    // pictures of the displays the user saw while dragging it: capture the
    // region from `seen`, for the screen itself still shows the overlay.
    using SelectionCallback = std::function<void(QRectF rect, quint32 displayID, const FrozenScreens &seen)>;
    using CancelCallback = std::function<void()>;

    // Each screen is read with `grabber` just before its overlay appears;
    // without a compositing manager the overlay shows that picture, dimmed.
    // Both must outlive the service.
    OverlayService(ScreenGrabber &grabber, CompositingManager &compositing, QObject *parent = nullptr);
    ~OverlayService() override;

    SelectionCallback onSelectionComplete;
    CancelCallback onSelectionCancelled;

    // Replaces whatever overlays are up with a fresh one on each screen.
    void showOverlays();
    // Takes every overlay down; the two callbacks stay as they are.
    void dismissOverlays();

    // The overlays on screen, by display identifier. Each view is its own window.
    std::map<quint32, SelectionOverlayView *> overlayViews() const;
    std::map<quint32, QWidget *> overlayPanels() const;

private:
    FrozenScreens freezeDisplays(const QList<quint32> &displayIDs) const;
    SelectionOverlayView *makeView(QScreen *screen, quint32 displayID, const QImage &frozen);
    void complete(QRectF rect, quint32 displayID);
    void cancel();
    void grabInputOnActiveScreen();

    ScreenGrabber &m_grabber;
    CompositingManager &m_compositing;
    std::map<quint32, QPointer<SelectionOverlayView>> m_views;
    FrozenScreens m_frozen;
};
