#include "output/PreviewThumbnailView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

PreviewThumbnailView::PreviewThumbnailView(
    const QRect &frame, const QImage &image, std::function<void()> onClick, QWidget *parent)
    : QWidget(parent)
    , m_image(image)
    , m_onClick(std::move(onClick))
{
    setGeometry(frame);
}

void PreviewThumbnailView::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

QRectF PreviewThumbnailView::imageRect() const
{
    if (m_image.isNull())
        return {};
    const QSizeF fitted = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

// Scaled once per device pixel ratio: a full-screen capture would otherwise
// be resampled on every frame of the hover fade.
const QImage &PreviewThumbnailView::scaledImage()
{
    const QSize target = (imageRect().size() * devicePixelRatioF()).toSize();
    if (m_scaled.size() != target && !m_image.isNull() && !target.isEmpty()) {
        m_scaled = m_image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(devicePixelRatioF());
    }
    return m_scaled;
}

void PreviewThumbnailView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath rounded;
    rounded.addRoundedRect(bounds, CornerRadius, CornerRadius);
    painter.save();
    painter.setClipPath(rounded);
    painter.drawImage(imageRect(), scaledImage());
    painter.restore();
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.2f), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(rounded);
}

void PreviewThumbnailView::mousePressEvent(QMouseEvent *event)
{
    // Other buttons are for menus and pasting; opening a file on them surprises.
    if (event->button() == Qt::LeftButton && m_onClick)
        m_onClick();
}

void PreviewThumbnailView::enterEvent(QEnterEvent *)
{
    fadeTo(HoverOpacity);
}

void PreviewThumbnailView::leaveEvent(QEvent *)
{
    fadeTo(1.0);
}

void PreviewThumbnailView::fadeTo(qreal opacity)
{
    if (m_hover)
        m_hover->stop();
    m_hover = new QPropertyAnimation(this, "opacity", this);
    m_hover->setEndValue(opacity);
    m_hover->setDuration(HoverMs);
    m_hover->start(QAbstractAnimation::DeleteWhenStopped);
}
