#pragma once

#include <QImage>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

#include <functional>

// The thumbnail's content: the image scaled to fit with its aspect ratio,
// rounded corners and a thin light border. Hovering dims it; a press of the
// primary button calls `onClick`.
class PreviewThumbnailView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)

public:
    static constexpr qreal CornerRadius = 10;
    static constexpr qreal HoverOpacity = 0.85;
    static constexpr int HoverMs = 150;

    PreviewThumbnailView(
        const QRect &frame, const QImage &image, std::function<void()> onClick, QWidget *parent = nullptr);

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    // Where the image is drawn, in the view's coordinates.
    QRectF imageRect() const;
    // The hover fade while it runs.
    QPropertyAnimation *hoverAnimation() const { return m_hover; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void fadeTo(qreal opacity);
    const QImage &scaledImage();

    QImage m_image;
    QImage m_scaled;
    std::function<void()> m_onClick;
    qreal m_opacity = 1.0;
    QPointer<QPropertyAnimation> m_hover;
};
