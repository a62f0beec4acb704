#pragma once

#include "capture/CaptureGeometry.h"
#include "capture/CaptureResult.h"

#include <QFuture>
#include <QObject>
#include <QRectF>
#include <QThreadPool>

class DisplayServer;
class ScreenFreeze;
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

    // `rect` in global points, as the region overlay reports it.
    QFuture<CaptureResult> captureRegion(QRectF rect, quint32 displayID);
    QFuture<CaptureResult> captureFullscreen(quint32 displayID);
    QFuture<CaptureResult> captureWindow();

    // Every screen as the workers will see it. Main thread.
    DisplaySnapshot snapshotDisplays() const;

    // While `freeze` holds images, regions are read from them instead of the
    // live screen. Null (the default) reads the screen always.
    void setScreenFreeze(const ScreenFreeze *freeze) { m_freeze = freeze; }

private:
    DisplayServer &m_displays;
    ScreenGrabber &m_grabber;
    WindowList &m_windows;
    const ScreenFreeze *m_freeze = nullptr;
    QThreadPool m_pool;
};
