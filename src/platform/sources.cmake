# Qt-only platform facilities and the interfaces the subsystems use, relative to src/.
target_sources(quillet_core PRIVATE
    platform/DefaultsStore.cpp platform/DefaultsStore.h)
target_sources(quillet_core PRIVATE
    platform/DisplayServer.h platform/ScreenGrabber.h platform/WindowList.h
    platform/PlatformInterfaces.cpp)
