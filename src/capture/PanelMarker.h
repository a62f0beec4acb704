#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <optional>

class QPainter;
class QRectF;

// A see-through signature on the background of Quillet's floating panel:
// pixels that alternate between a colour and the same colour with the
// lowest blue bit flipped. The eye cannot tell it from a plain fill; a
// frame that holds a run of it holds the panel. Where the desktop decides
// where windows go, this is how a frame is known to carry the panel.
namespace PanelMarker {

// Pixels of the pattern in a row that count as the panel.
constexpr int MinimumRun = 24;

// Fills `area` of `painter`'s device with `colour` in the pattern, pixel
// for device pixel.
void fill(QPainter &painter, const QRectF &area, const QColor &colour);

// The smallest rectangle of `frame`'s pixels that holds every run of the
// pattern, a pixel wider on each side for the panel's smoothed edge;
// nothing when `frame` holds none.
std::optional<QRect> find(const QImage &frame);

} // namespace PanelMarker
