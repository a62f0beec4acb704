#include "setup/SymbolImages.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyle>

#include <functional>

namespace SymbolImages {

namespace {

// Paints in a 16 × 16 box scaled to whatever size and pixel ratio is asked.
using Drawing = std::function<void(QPainter &, const QColor &ink)>;

class SymbolEngine : public QIconEngine
{
public:
    explicit SymbolEngine(Drawing drawing)
        : m_drawing(std::move(drawing))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QSize side(qMin(rect.width(), rect.height()), qMin(rect.width(), rect.height()));
        const QRect box = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, side, rect);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(box.topLeft());
        painter->scale(box.width() / 16.0, box.height() / 16.0);
        const QPalette palette = QGuiApplication::palette();
        const QColor ink = palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active,
                                         QPalette::WindowText);
        m_drawing(*painter, ink);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new SymbolEngine(m_drawing); }

private:
    Drawing m_drawing;
};

QIcon symbol(Drawing drawing)
{
    return QIcon(new SymbolEngine(std::move(drawing)));
}

} // namespace

QColor okColor()
{
    return QColor(0x2e, 0xa0, 0x43);
}

QColor failureColor()
{
    return QColor(0xe0, 0x1b, 0x24);
}

QIcon gear()
{
    return symbol([](QPainter &p, const QColor &ink) {
        QPainterPath wheel;
        wheel.addEllipse(QPointF(8, 8), 5.2, 5.2);
        for (int tooth = 0; tooth < 8; ++tooth) {
            QPainterPath bar;
            bar.addRect(QRectF(-1.4, -7.6, 2.8, 3.6));
            wheel = wheel.united(QTransform().translate(8, 8).rotate(tooth * 45.0).map(bar));
        }
        QPainterPath hole;
        hole.addEllipse(QPointF(8, 8), 2.2, 2.2);
        p.fillPath(wheel.subtracted(hole), ink);
    });
}

QIcon keyboard()
{
    return symbol([](QPainter &p, const QColor &ink) {
        p.setPen(QPen(ink, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(1, 3.5, 14, 9), 1.8, 1.8);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 5; ++column)
                p.drawRect(QRectF(3 + column * 2.2, 5.4 + row * 2.1, 1.3, 1.2));
        }
        p.drawRect(QRectF(5, 9.6, 6, 1.3));
    });
}

QIcon statusCircle(bool ok)
{
    return symbol([ok](QPainter &p, const QColor &) {
        p.setPen(Qt::NoPen);
        p.setBrush(ok ? okColor() : failureColor());
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (ok) {
            p.drawPolyline(QPolygonF({QPointF(4.6, 8.2), QPointF(7, 10.6), QPointF(11.4, 5.6)}));
        } else {
            p.drawLine(QPointF(5.4, 5.4), QPointF(10.6, 10.6));
            p.drawLine(QPointF(10.6, 5.4), QPointF(5.4, 10.6));
        }
    });
}

} // namespace SymbolImages
