#pragma once

#include "capture/CaptureResult.h"

#include <QFuture>
#include <QObject>
#include <QRectF>

#include <functional>

// Where a scrolling capture's frames come from. The scroll service grabs on
// its frame timer's ticks; a source that learns of new pictures by itself
// (a screen cast) also says so at once, so that quick scrolling is followed
// faster than the timer.
class ScrollFrameSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ScrollFrameSource() override;

    // Recording of `rect` (global points) on `displayID` begins.
    virtual void open(QRectF rect, quint32 displayID) = 0;
    // Recording ended: Done, Cancel, a full memory budget or a failure.
    virtual void close() = 0;
    // One frame of the rectangle; fails when there is none to give.
    virtual QFuture<CaptureResult> grab(QRectF rect, quint32 displayID) = 0;
    // Whether a frame drawn just outside the rectangle stays out of the
    // frames: only where our windows sit where we place them. A desktop
    // that places them itself could put the frame across the rectangle.
    virtual bool keepsWindowsInPlace() const { return false; }

signals:
    // A frame not taken yet is waiting.
    void frameAvailable();
    // Whether frames are being dropped because one of Quillet's own windows
    // covers part of the rectangle.
    void obstructedChanged(bool obstructed);
    // No frames can come. An empty `reason` means the user declined.
    void failed(QString reason);
};

// Frames grabbed from the screen on each tick (CaptureService::captureRegion
// in the application); nothing to open or close.
class RegionGrabFrames : public ScrollFrameSource
{
    Q_OBJECT

public:
    using Grab = std::function<QFuture<CaptureResult>(QRectF rect, quint32 displayID)>;

    explicit RegionGrabFrames(Grab grab, QObject *parent = nullptr);

    void open(QRectF, quint32) override {}
    void close() override {}
    QFuture<CaptureResult> grab(QRectF rect, quint32 displayID) override { return m_grab(rect, displayID); }
    bool keepsWindowsInPlace() const override { return true; }

private:
    Grab m_grab;
};
