#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

#include <optional>

// Turns the frames of a scrolling capture into one tall image: for each pair
// of neighbouring frames it estimates how many rows at the bottom of the
// earlier one reappear at the top of the later one, and stacks the frames so
// that those rows are drawn once.
//
// Pure functions with no state: safe to call from any thread at once (the
// frames are only read; QImage shares its pixels without detaching them).
namespace FrameStitcher {

// Stacks the frames top to bottom. The result is as wide as the first frame,
// in Format_RGBA8888_Premultiplied, and starts transparent where no frame
// covers it. A single frame comes back as the very same image.
// Throws CaptureFailure(CaptureError::stitchingFailed) for an empty list and
// for an output that cannot be allocated (too tall or out of memory).
QImage stitchFrames(const QList<QImage> &frames);

// Rows at the bottom of `previous` that reappear at the top of `next`, from
// half the height of `previous` down to 8; 0 when no candidate matches, when
// the widths differ or when the frames are too short to compare.
int findOverlap(const QImage &previous, const QImage &next);

// The image as width × height × 4 bytes of premultiplied R, G, B, A, top row
// first, each row exactly width × 4 bytes; nothing for a null image or when
// the buffer cannot be allocated.
std::optional<QByteArray> rgbaPixels(const QImage &image);

} // namespace FrameStitcher
