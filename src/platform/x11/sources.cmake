# The X11 backends. Only files listed here may include X11, xcb or xkbcommon headers.
target_link_libraries(quillet_core PRIVATE PkgConfig::XCB PkgConfig::XKBCOMMON)
target_sources(quillet_core PRIVATE
    platform/x11/XcbSupport.cpp platform/x11/XcbSupport.h
    platform/x11/X11Monitors.cpp platform/x11/X11Monitors.h
    platform/x11/X11Windows.cpp platform/x11/X11Windows.h
    platform/x11/X11GrabSession.cpp platform/x11/X11GrabSession.h
    platform/x11/X11WindowGrab.cpp platform/x11/X11WindowGrab.h
    platform/x11/X11ScreenGrabber.cpp platform/x11/X11ScreenGrabber.h
    platform/x11/X11WindowList.cpp platform/x11/X11WindowList.h
    platform/x11/X11DisplayServer.cpp platform/x11/X11DisplayServer.h
    platform/x11/X11Platform.cpp platform/x11/X11Platform.h
    platform/x11/X11CompositingManager.cpp platform/x11/X11CompositingManager.h
    platform/x11/X11HotkeyBackend.cpp platform/x11/X11HotkeyBackend.h
    platform/x11/X11KeyboardLayout.cpp platform/x11/X11KeyboardLayout.h
    platform/x11/X11Modifiers.cpp platform/x11/X11Modifiers.h
    platform/x11/X11Xkb.h platform/x11/XkbNamedKeymap.cpp platform/x11/XkbNamedKeymap.h
    platform/x11/XkbKeysymText.cpp platform/x11/XkbKeysymText.h
    platform/x11/X11ScreenCapturePermission.cpp platform/x11/X11ScreenCapturePermission.h
    platform/x11/X11KeyboardFocus.cpp platform/x11/X11KeyboardFocus.h
    platform/x11/X11WindowActivator.cpp platform/x11/X11WindowActivator.h
    platform/x11/X11TrayAvailability.cpp platform/x11/X11TrayAvailability.h
    platform/x11/X11ScrollWheel.cpp platform/x11/X11ScrollWheel.h)
