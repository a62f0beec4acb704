#include "capture/CaptureError.h"

namespace CaptureErrors {

QString message(CaptureError error)
{
    switch (error) {
    case CaptureError::displayNotFound:
        return QStringLiteral("Could not find the target display.");
    case CaptureError::windowNotFound:
        return QStringLiteral("No capturable window found. Make sure another app is in front.");
    case CaptureError::captureFailedNoImage:
        return QStringLiteral("Screen capture returned no image.");
    case CaptureError::permissionDenied:
        return QStringLiteral("Screen Recording permission is required.");
    case CaptureError::stitchingFailed:
        return QStringLiteral("Failed to stitch scroll capture frames.");
    }
    return {};
}

} // namespace CaptureErrors

CaptureFailure::CaptureFailure(CaptureError error)
    : Error(CaptureErrors::message(error))
    , m_error(error)
{
}
