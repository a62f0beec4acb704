# Sources of the application shell, relative to src/.
target_sources(quillet_core PRIVATE
    app/AppSettings.cpp app/AppSettings.h
    app/ImageFormat.h
    app/CaptureShortcuts.cpp app/CaptureShortcuts.h
    app/QuilletApp.cpp app/QuilletApp.h
    app/AppDelegate.cpp app/AppDelegate.h
    app/HotkeyService.cpp app/HotkeyService.h
    app/MenuBarView.cpp app/MenuBarView.h
    app/CaptureBus.cpp app/CaptureBus.h
    app/MainScreen.cpp app/MainScreen.h
    app/OnboardingWindow.cpp app/OnboardingWindow.h
    app/PanelContext.cpp app/PanelContext.h)

# The icon as SVG for the windows, and for the tray as the pictures rendered
# from it at the sizes trays ask for: those need no SVG engine in the process
# that stays in the tray all day.
set(tray_icon_sizes 16 22 24 32 48 64)
set(tray_icons ${tray_icon_sizes})
list(TRANSFORM tray_icons REPLACE "(.+)" "${PROJECT_SOURCE_DIR}/resources/icons/\\1x\\1/quillet.png")
qt_add_resources(quillet_core quillet_icons
    PREFIX /
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES ${PROJECT_SOURCE_DIR}/resources/quillet.svg ${tray_icons})
