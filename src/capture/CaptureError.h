#pragma once

#include "platform/Error.h"

// Why a capture failed; each case carries the message the user is shown.
enum class CaptureError {
    displayNotFound,
    windowNotFound,
    captureFailedNoImage,
    permissionDenied,
    stitchingFailed
};

namespace CaptureErrors {
QString message(CaptureError error);
} // namespace CaptureErrors

// A CaptureError thrown through a flow (and across QFuture boundaries).
class CaptureFailure : public Error
{
public:
    explicit CaptureFailure(CaptureError error);

    CaptureError error() const { return m_error; }

    void raise() const override { throw *this; }
    CaptureFailure *clone() const override { return new CaptureFailure(*this); }

private:
    CaptureError m_error;
};
