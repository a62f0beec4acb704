# Sources of the application shell, relative to src/.
target_sources(quillet_core PRIVATE
    app/AppSettings.cpp app/AppSettings.h
    app/CaptureMode.h app/ImageFormat.h app/SharedTypes.cpp
    app/QuilletApp.cpp app/QuilletApp.h
    app/CaptureBus.cpp app/CaptureBus.h app/CommandLine.cpp app/CommandLine.h
    app/MainScreen.cpp app/MainScreen.h
    app/PanelContext.cpp app/PanelContext.h)
