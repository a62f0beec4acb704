# The Wayland backends. Only files listed here may include Wayland, PipeWire
# or GLib headers. They are built as a module of their own, which the program
# loads only in a Wayland session: an X11 session never maps PipeWire, gio or
# what those pull in. The module takes what it uses of the rest of Quillet
# from the program that loads it; tests and benchmarks link the same objects
# with the core.
add_library(quillet_wayland OBJECT
    platform/wayland/WaylandOutputs.cpp platform/wayland/WaylandOutputs.h
    platform/wayland/GnomePrimaryMonitor.cpp platform/wayland/GnomePrimaryMonitor.h
    platform/wayland/PortalRequest.cpp platform/wayland/PortalRequest.h
    platform/wayland/WaylandScreenGrabber.cpp platform/wayland/WaylandScreenGrabber.h
    platform/wayland/WaylandDisplayServer.cpp platform/wayland/WaylandDisplayServer.h
    platform/wayland/WaylandDesktop.cpp platform/wayland/WaylandDesktop.h
    platform/wayland/WaylandKeyboard.cpp platform/wayland/WaylandKeyboard.h
    platform/wayland/PortalScreenCapturePermission.cpp platform/wayland/PortalScreenCapturePermission.h
    platform/wayland/WaylandPlatform.cpp platform/wayland/WaylandPlatform.h)
set_target_properties(quillet_wayland PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(quillet_wayland PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} PRIVATE ${CANBERRA_INCLUDE_DIRS})
target_link_libraries(quillet_wayland
    PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Concurrent Qt6::DBus
    PRIVATE quillet_warnings)

# The module, beside the program that loads it.
add_library(quillet_wayland_module MODULE)
target_link_libraries(quillet_wayland_module PRIVATE quillet_wayland)
set_target_properties(quillet_wayland_module PROPERTIES OUTPUT_NAME quillet-wayland PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/libexec/quillet)
