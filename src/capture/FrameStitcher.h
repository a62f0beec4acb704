#pragma once

#include "capture/RowSignatures.h"

#include <QImage>
#include <QList>

// Turns the frames of a scrolling capture into one tall image: for each pair
// of neighbouring frames it finds how far the page moved (OverlapSearch),
// and stacks the frames so that every row of the page is drawn once. Rows
// that stay put in every frame (a toolbar, a status bar) appear once, at the
// top and the bottom.
//
// Pure functions with no state: safe to call from any thread at once (the
// frames are only read; QImage shares its pixels without detaching them).
namespace FrameStitcher {

// Stacks the frames top to bottom, the first frame's top first. The result
// is as wide as the first frame, in Format_RGBA8888_Premultiplied, and
// starts transparent where no frame covers it. A single frame comes back as
// the very same image; a frame equal to the one before adds nothing; a frame
// of another size than the first is appended below the one before.
// `signatures`, when given, holds RowSignatures::of(frame) for every frame
// (made while the frames arrived); otherwise they are made here.
// `wheelSteps`, when given, holds the scroll wheel's reading as each frame
// was taken (ScrollWheel::steps): where two frames share only blank rows or
// none, the page is taken to have moved as far as the wheel turned, at the
// pixels per step the rest of the capture showed.
// Throws CaptureFailure(CaptureError::stitchingFailed) for an empty list and
// for an output that cannot be allocated (too tall or out of memory).
QImage stitchFrames(const QList<QImage> &frames, const QList<RowSignatures> &signatures = {},
    const QList<double> &wheelSteps = {});

} // namespace FrameStitcher
