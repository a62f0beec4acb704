#include "capture/PanelMarker.h"

#include <QBrush>
#include <QPainter>
#include <QPaintDevice>
#include <QRectF>

namespace PanelMarker {

void fill(QPainter &painter, const QRectF &area, const QColor &colour)
{
    // The tile is made at the device's pixel ratio so that each of its
    // pixels lands on one device pixel.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage tile(2, 2, QImage::Format_RGB32);
    const QRgb plain = colour.rgb();
    const QRgb flipped = plain ^ 1u;
    tile.setPixel(0, 0, plain);
    tile.setPixel(1, 0, flipped);
    tile.setPixel(0, 1, flipped);
    tile.setPixel(1, 1, plain);
    tile.setDevicePixelRatio(ratio);
    QBrush brush(tile);
    painter.save();
    painter.setBrushOrigin(0, 0);
    painter.fillRect(area, brush);
    painter.restore();
}

std::optional<QRect> find(const QImage &frame)
{
    if (frame.depth() != 32)
        return find(frame.convertToFormat(QImage::Format_RGB32));
    QRect found;
    for (int y = 0; y < frame.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
        int run = 1;
        for (int x = 1; x < frame.width(); ++x) {
            run = ((row[x] ^ row[x - 1]) & 0xffffffu) == 1u ? run + 1 : 1;
            if (run >= MinimumRun)
                found |= QRect(x - run + 1, y, run, 1);
        }
    }
    if (found.isEmpty())
        return std::nullopt;
    return found.adjusted(-1, -1, 1, 1);
}

} // namespace PanelMarker
