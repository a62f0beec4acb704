# The Wayland backends. Only files listed here may include Wayland, PipeWire
# or GLib headers.
target_sources(quillet_core PRIVATE
    platform/wayland/WaylandOutputs.cpp platform/wayland/WaylandOutputs.h
    platform/wayland/GnomePrimaryMonitor.cpp platform/wayland/GnomePrimaryMonitor.h
    platform/wayland/PortalRequest.cpp platform/wayland/PortalRequest.h
    platform/wayland/WaylandScreenGrabber.cpp platform/wayland/WaylandScreenGrabber.h
    platform/wayland/WaylandDisplayServer.cpp platform/wayland/WaylandDisplayServer.h
    platform/wayland/WaylandDesktop.cpp platform/wayland/WaylandDesktop.h
    platform/wayland/WaylandKeyboard.cpp platform/wayland/WaylandKeyboard.h
    platform/wayland/PortalScreenCapturePermission.cpp platform/wayland/PortalScreenCapturePermission.h
    platform/wayland/WaylandPlatform.cpp platform/wayland/WaylandPlatform.h)
