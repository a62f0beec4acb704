# Sources of this subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    capture/CaptureError.cpp capture/CaptureError.h
    capture/CaptureResult.h
    capture/DisplayLookup.cpp capture/DisplayLookup.h
    capture/CaptureGeometry.cpp capture/CaptureGeometry.h
    capture/CaptureService.cpp capture/CaptureService.h
    capture/FrozenScreens.cpp capture/FrozenScreens.h
    capture/SelectionOverlayView.cpp capture/SelectionOverlayView.h
    capture/OverlayService.cpp capture/OverlayService.h
    capture/CountdownOverlay.cpp capture/CountdownOverlay.h)
target_sources(quillet_core PRIVATE
    capture/RowSignatures.cpp capture/RowSignatures.h
    capture/OverlapSearch.cpp capture/OverlapSearch.h
    capture/ScrollWheelHints.cpp capture/ScrollWheelHints.h
    capture/FrameStitcher.cpp capture/FrameStitcher.h)
target_sources(quillet_core PRIVATE
    capture/ScrollCaptureService.cpp capture/ScrollCaptureService.h
    capture/ScrollCaptureControlView.cpp capture/ScrollCaptureControlView.h
    capture/ScrollCaptureFrame.cpp capture/ScrollCaptureFrame.h)
target_sources(quillet_core PRIVATE
    capture/ScrollFrameSource.cpp capture/ScrollFrameSource.h
    capture/ScreenCastFrames.cpp capture/ScreenCastFrames.h
    capture/PanelMarker.cpp capture/PanelMarker.h)
