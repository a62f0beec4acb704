#pragma once

#include <QImage>
#include <QList>

namespace OldStitcher {

// The frames stacked as the first search placed them; a null image when the
// output cannot be allocated.
QImage stitchFrames(const QList<QImage> &frames);

} // namespace OldStitcher
