#pragma once

#include "capture/CaptureGeometry.h"
#include "capture/CaptureResult.h"
#include "capture/FrozenScreens.h"

#include <QFuture>
#include <QObject>
#include <QRectF>
#include <QThreadPool>

class DisplayServer;
class ScreenGrabber;
class WindowList;

// Takes still images of a region, a whole display or the frontmost window of
// another application. Call on the main thread; the reading of pixels runs on
// the service's own worker pool. Failures arrive as exceptions in the future:
// CaptureFailure for the service's own, Error with the reason for the
// platform's. No state is kept between calls, so calls may overlap.
class CaptureService : public QObject
{
    Q_OBJECT

public:
    // The platform objects must outlive the service; the grabber and the
    // window list are used from worker threads.
    CaptureService(
        DisplayServer &displays, ScreenGrabber &grabber, WindowList &windows, QObject *parent = nullptr);
    ~CaptureService() override;

    // `rect` in global points, as the region overlay reports it. Pixels that
    // lie within a display of `seen` are read from its picture rather than
    // from the live screen.
    QFuture<CaptureResult> captureRegion(QRectF rect, quint32 displayID, const FrozenScreens &seen = {});
    QFuture<CaptureResult> captureFullscreen(quint32 displayID);
    QFuture<CaptureResult> captureWindow();
    // A capture is about to be asked for: the workers get the grab ready.
    void prepare();

    // Every screen as the workers will see it. Main thread.
    DisplaySnapshot snapshotDisplays() const;

private:
    DisplayServer &m_displays;
    ScreenGrabber &m_grabber;
    WindowList &m_windows;
    QThreadPool m_pool;
};
