#pragma once

#include "app/CaptureMode.h"

#include <QDateTime>
#include <QImage>

// One captured image. QImage shares its pixels between copies, so the
// record is cheap to pass around.
struct CaptureResult
{
    QImage image; // device pixels
    CaptureMode mode = CaptureMode::region;
    QDateTime timestamp; // when the image arrived
    quint32 displayID = 0;
    // The display's picture as the desktop encoded it, when it did: then
    // `image` is null until someone decodes it.
    QByteArray png;
};
