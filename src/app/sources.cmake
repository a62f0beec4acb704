# Sources of the application shell, relative to src/.
target_sources(quillet_core PRIVATE
    app/AppSettings.cpp app/AppSettings.h
    app/CaptureMode.h app/ImageFormat.h app/SharedTypes.cpp
    app/CaptureShortcuts.cpp app/CaptureShortcuts.h
    app/QuilletApp.cpp app/QuilletApp.h
    app/AppDelegate.cpp app/AppDelegate.h
    app/HotkeyService.cpp app/HotkeyService.h
    app/MenuBarView.cpp app/MenuBarView.h
    app/MainScreen.cpp app/MainScreen.h
    app/PanelContext.cpp app/PanelContext.h)

# The tray icon, drawn as SVG: Qt's SVG icon engine renders it at whatever
# size the tray asks for.
qt_add_resources(quillet_core quillet_icons
    PREFIX /
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES ${PROJECT_SOURCE_DIR}/resources/quillet.svg)
