#pragma once

#include <QImage>
#include <QRect>

// Known pixels on the root window of a private X display: every pixel's
// colour encodes its device-pixel position.
namespace X11CaptureSupport {

QRgb rootPattern(int x, int y);

// Sets the root window's background to the pattern and waits until the
// screen shows it. Returns false when it did not appear in time.
bool paintRootPattern(const QSize &rootSize);

// How many pixels of `image` differ from the pattern of `nativeArea`
// (their sizes must agree); -1 when the sizes differ.
qint64 patternMismatches(const QImage &image, const QRect &nativeArea);

} // namespace X11CaptureSupport
