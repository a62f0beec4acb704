# The real quillet program on a private headless GNOME Shell (Wayland) with
# PipeWire and the portals, driven through org.gnome.Mutter.RemoteDesktop and
# checked against the compositor's own screenshot. Each file is a program of
# its own in a session of its own; its cases share that session.
add_library(quillet_gnome_support STATIC gnome/GnomeQuillet.cpp gnome/GnomeQuillet.h)
target_link_libraries(quillet_gnome_support PUBLIC quillet_test_support PRIVATE quillet_warnings)
target_compile_definitions(quillet_gnome_support PUBLIC QUILLET_BINARY="$<TARGET_FILE:quillet>")
add_dependencies(quillet_gnome_support quillet)

# quillet_add_gnome_test(<name> [with-gnome options...])
function(quillet_add_gnome_test name)
    quillet_add_test(${name} LABEL gnome SOURCES gnome/${name}.cpp LIBS quillet_gnome_support
        GNOME_OPTIONS ${ARGN})
endfunction()

# With a tray, so that no window stands in for the icon over the dialog.
quillet_add_gnome_test(PermissionGnomeTest --portals --no-seed --tray)
# With a tray, so that no window stands in for the icon over the captures;
# two displays of different sizes.
quillet_add_gnome_test(CaptureGnomeTest --portals --tray --size 1280x800 --size 1024x768)
target_compile_definitions(CaptureGnomeTest PRIVATE GNOME_SUPPORT_DIR="${CMAKE_CURRENT_SOURCE_DIR}/support/gnome")
# GNOME's key bindings (gsd-media-keys runs them), tray and notifications.
quillet_add_gnome_test(ShortcutsGnomeTest --portals --media-keys)
# One source, two sessions: with the tray extension, and without it.
quillet_add_test(DesktopGnomeTest LABEL gnome SOURCES gnome/DesktopGnomeTest.cpp LIBS quillet_gnome_support
    GNOME_OPTIONS --portals --tray ENVIRONMENT GTEST_FILTER=DesktopGnomeTest.*)
quillet_add_test(NoTrayGnomeTest LABEL gnome SOURCES gnome/DesktopGnomeTest.cpp LIBS quillet_gnome_support
    GNOME_OPTIONS --portals ENVIRONMENT GTEST_FILTER=NoTrayGnomeTest.*)

# Scrolling capture from the portal's screen cast: a page in a window of
# another process (test-window), scrolled by the compositor's own wheel.
# With a tray, so that no window stands in for the icon between captures.
quillet_add_gnome_test(ScrollGnomeTest --portals --tray)
target_compile_definitions(ScrollGnomeTest PRIVATE TEST_WINDOW="$<TARGET_FILE:test-window>")
add_dependencies(ScrollGnomeTest test-window)

