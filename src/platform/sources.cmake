# Qt-only platform facilities and the interfaces the subsystems use, relative to src/.
target_sources(quillet_core PRIVATE
    platform/Allocator.cpp platform/Allocator.h
    platform/CanberraSoundPlayer.cpp platform/CanberraSoundPlayer.h
    platform/DefaultsStore.cpp platform/DefaultsStore.h platform/Error.h
    platform/DisplayServer.h platform/ScreenGrabber.h platform/WindowList.h
    platform/CompositingManager.h platform/Platform.h platform/PlatformInterfaces.cpp
    platform/HotkeyBackend.h platform/KeyboardLayout.h
    platform/KeyboardFocus.h platform/WindowActivator.h
    platform/NotificationCenter.cpp platform/NotificationCenter.h
    platform/SoundPlayer.h platform/CaptureNotifier.h
    platform/DesktopEntry.cpp platform/DesktopEntry.h
    platform/LoginItems.h platform/XdgAutostartLoginItems.cpp platform/XdgAutostartLoginItems.h
    platform/ScreenCapturePermission.h
    platform/TrayAvailability.cpp platform/TrayAvailability.h
    platform/StatusNotifierWatcherAvailability.cpp platform/StatusNotifierWatcherAvailability.h
    platform/ScrollWheel.h platform/ScreenCast.h
    platform/SessionPlatform.cpp platform/SessionPlatform.h)
# libcanberra is loaded only while sounds play: its headers, not its library.
target_include_directories(quillet_core PRIVATE ${CANBERRA_INCLUDE_DIRS})
target_link_libraries(quillet_core PRIVATE ${CMAKE_DL_LIBS})
