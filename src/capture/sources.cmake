# Sources of this subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    capture/CaptureError.cpp capture/CaptureError.h
    capture/CaptureResult.h
    capture/DisplayLookup.cpp capture/DisplayLookup.h
    capture/CaptureGeometry.cpp capture/CaptureGeometry.h
    capture/CaptureService.cpp capture/CaptureService.h
    capture/CountdownOverlay.cpp capture/CountdownOverlay.h)
