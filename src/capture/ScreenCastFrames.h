#pragma once

#include "capture/ScrollFrameSource.h"

#include <QImage>
#include <QRect>

class DefaultsStore;
class ScreenCast;

// Scroll frames cut from a cast of the display. The desktop sends a picture
// only when the screen changed, so the newest one is kept until the scroll
// service takes it; a tick with nothing new gives nothing, and a still page
// costs no memory. The cast runs only while recording, so the desktop's
// sharing indicator is up only then. The user's choice of display is kept
// as a restore token in the defaults, so that they are asked once.
class ScreenCastFrames : public ScrollFrameSource
{
    Q_OBJECT

public:
    static constexpr char RestoreTokenKey[] = "screenCastRestoreToken";

    ScreenCastFrames(ScreenCast &cast, DefaultsStore &defaults, QObject *parent = nullptr);
    ~ScreenCastFrames() override;

    void open(QRectF rect, quint32 displayID) override;
    void close() override;
    QFuture<CaptureResult> grab(QRectF rect, quint32 displayID) override;

    bool isObstructed() const { return m_obstructed; }

    // `rect` (global points) out of a picture of the display at `display`
    // (global points), at the picture's own pixels; nothing when the display
    // does not hold all of it.
    static std::optional<QImage> cut(const QImage &picture, QRect display, QRectF rect);

private:
    void castStarted(QRect display, const QString &restoreToken);
    void frameArrived(const QImage &picture);
    void castFailed(const QString &reason);
    void setObstructed(bool obstructed);

    ScreenCast &m_cast;
    DefaultsStore &m_defaults;
    bool m_isOpen = false;
    bool m_askedUser = false;
    QRectF m_rect;
    quint32 m_displayID = 0;
    QRect m_display;
    QImage m_newest;
    bool m_obstructed = false;
};
