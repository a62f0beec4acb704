#include "capture/ScrollCaptureFrame.h"

#include <QPainter>

ScrollCaptureFrame::ScrollCaptureFrame(QRectF rect)
    : QWidget(nullptr,
          Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
              | Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Scroll Capture Area"));
    const QRegion ring = outline(rect);
    setGeometry(ring.boundingRect());
    // Only the ring belongs to the window: inside it the screen shows
    // through, with or without a compositing manager.
    setMask(ring.translated(-ring.boundingRect().topLeft()));
}

QRegion ScrollCaptureFrame::outline(QRectF rect)
{
    const QRect inner = rect.toAlignedRect().adjusted(-Gap, -Gap, Gap, Gap);
    const QRect outer = inner.adjusted(-Thickness, -Thickness, Thickness, Thickness);
    return QRegion(outer).subtracted(QRegion(inner));
}

void ScrollCaptureFrame::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), palette().highlight());
}
