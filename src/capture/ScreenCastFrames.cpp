#include "capture/ScreenCastFrames.h"

#include "capture/CaptureError.h"
#include "capture/DisplayLookup.h"
#include "capture/PanelMarker.h"
#include "platform/DefaultsStore.h"
#include "platform/ScreenCast.h"

#include <QDateTime>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

ScreenCastFrames::ScreenCastFrames(ScreenCast &cast, DefaultsStore &defaults, QObject *parent)
    : ScrollFrameSource(parent)
    , m_cast(cast)
    , m_defaults(defaults)
{
    connect(&m_cast, &ScreenCast::started, this, &ScreenCastFrames::castStarted);
    connect(&m_cast, &ScreenCast::frameReady, this, &ScreenCastFrames::frameArrived);
    connect(&m_cast, &ScreenCast::failed, this, &ScreenCastFrames::castFailed);
}

ScreenCastFrames::~ScreenCastFrames()
{
    close();
}

void ScreenCastFrames::open(QRectF rect, quint32 displayID)
{
    close();
    m_isOpen = true;
    m_askedUser = false;
    m_rect = rect;
    m_displayID = displayID;
    m_cast.start(m_defaults.string(QString::fromLatin1(RestoreTokenKey)).value_or(QString()));
}

void ScreenCastFrames::close()
{
    if (!m_isOpen)
        return;
    m_isOpen = false;
    m_cast.stop();
    m_display = {};
    m_newest = {};
    setObstructed(false);
}

QFuture<CaptureResult> ScreenCastFrames::grab(QRectF, quint32)
{
    if (m_newest.isNull())
        return QtFuture::makeExceptionalFuture<CaptureResult>(CaptureFailure(CaptureError::captureFailedNoImage));
    const CaptureResult frame {
        std::exchange(m_newest, QImage()), CaptureMode::scroll, QDateTime::currentDateTime(), m_displayID, {}};
    return QtFuture::makeReadyFuture(frame);
}

void ScreenCastFrames::castStarted(QRect display, const QString &restoreToken)
{
    if (!m_isOpen)
        return;
    m_display = display;
    // A desktop that does not say where the shared display is: the
    // selection's own display, which a single screen always is.
    if (m_display.isEmpty()) {
        if (const QScreen *screen = screenForDisplayID(m_displayID))
            m_display = screen->geometry();
    }
    if (!restoreToken.isEmpty())
        m_defaults.setValue(QString::fromLatin1(RestoreTokenKey), restoreToken);
}

void ScreenCastFrames::frameArrived(const QImage &picture)
{
    if (!m_isOpen || m_display.isEmpty())
        return;
    const std::optional<QImage> frame = cut(picture, m_display, m_rect);
    if (!frame) {
        if (m_askedUser) {
            castFailed(QStringLiteral("The shared screen does not hold the selected area."));
            return;
        }
        // The remembered display is not the one with the selection: let the user pick.
        m_askedUser = true;
        m_display = {};
        m_cast.stop();
        m_cast.start({});
        return;
    }
    const std::optional<QRect> panel = PanelMarker::find(picture);
    const qreal scale = qreal(picture.width()) / m_display.width();
    const QRectF selected((m_rect.topLeft() - m_display.topLeft()) * scale, m_rect.size() * scale);
    setObstructed(panel && QRectF(*panel).intersects(selected));
    if (m_obstructed)
        return; // never a frame with Quillet's own panel in it
    m_newest = *frame;
    emit frameAvailable();
}

void ScreenCastFrames::castFailed(const QString &reason)
{
    if (!m_isOpen)
        return;
    close();
    emit failed(reason);
}

void ScreenCastFrames::setObstructed(bool obstructed)
{
    if (m_obstructed == obstructed)
        return;
    m_obstructed = obstructed;
    emit obstructedChanged(obstructed);
}

std::optional<QImage> ScreenCastFrames::cut(const QImage &picture, QRect display, QRectF rect)
{
    if (display.isEmpty() || picture.isNull() || !QRectF(display).contains(rect))
        return std::nullopt;
    // The cast's pixels per point: the display's scale, as the desktop renders it.
    const qreal scale = qreal(picture.width()) / display.width();
    const QPointF offset = (rect.topLeft() - display.topLeft()) * scale;
    const QPoint origin(int(std::floor(offset.x())), int(std::floor(offset.y())));
    const QSize size(int(rect.width() * scale), int(rect.height() * scale));
    const QRect pixels = QRect(origin, size) & picture.rect();
    if (pixels.isEmpty())
        return std::nullopt;
    return picture.copy(pixels);
}
