# The X11 backends. Only files listed here may include X11, xcb or xkbcommon headers.
target_link_libraries(quillet_core PRIVATE PkgConfig::XCB PkgConfig::XKBCOMMON)
