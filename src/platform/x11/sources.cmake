# The X11 backends. Only files listed here may include X11, xcb or xkbcommon headers.
target_link_libraries(quillet_core PRIVATE PkgConfig::XCB PkgConfig::XKBCOMMON)
target_sources(quillet_core PRIVATE
    platform/x11/X11HotkeyBackend.cpp platform/x11/X11HotkeyBackend.h
    platform/x11/X11KeyboardLayout.cpp platform/x11/X11KeyboardLayout.h
    platform/x11/X11Modifiers.cpp platform/x11/X11Modifiers.h
    platform/x11/X11Xkb.h)
